#include "batch_season.h"

#include "fake_front_end.h"
#include "sample_files.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Lines that differ from run to run.
std::string withoutTimings(const std::string& text)
{
    std::string kept;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
        const std::string line = text.substr(start, end - start);
        if (!line.starts_with("Calibration load took"))
            kept += line;
        start = end;
    }
    return kept;
}

} // namespace

Season::Season()
{
    for (const char* name : {"EXAMPLE.CAL", "SET0101A.ASC", "SET0101B.ASC", "SET0102A.BIN"})
        fs::copy_file(fs::path(ORVANTIS_EXAMPLES) / name, dir.path() / name);
    const std::string text = readFile(dir.file("SET0101A.ASC"));
    dir.write("DAMAGED.ASC", text + "1000,2,3,4,x\r\n");
    std::string other = text;
    other.replace(other.find("TDL0417"), 7, "TDL0999");
    dir.write("OTHER.ASC", other);
    dir.write("NOTES.ASC", "field notes\r\n");
    for (int copy = 0; copy < 3; ++copy)
        for (const char* name : {"SET0101A", "SET0101B"})
            fs::copy_file(dir.file(std::string(name) + ".ASC"), dir.file(name + std::to_string(copy) + ".ASC"));
    for (const char* name :
         {"SET0101A.ASC", "SET0101A0.ASC", "DAMAGED.ASC", "SET0102A.BIN", "SET0101B1.ASC", "OTHER.ASC", "NOTES.ASC",
          "MISSING.ASC", "SET0101A1.ASC", "SET0101A.ASC", "SET0101B0.ASC", "SET0101A2.ASC", "SET0101B2.ASC"})
        paths.push_back(dir.file(name));
}

std::string Season::portable(std::string text) const
{
    const std::string folder = dir.path().string();
    for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
        text.replace(at, folder.size(), "SEASON");
    return text;
}

std::map<std::string, std::string> Season::outputs() const
{
    std::map<std::string, std::string> files;
    for (const std::string& name : folderContents(dir.path()))
        if (name.ends_with(".DAT") || name.ends_with(".RAW"))
            files[name] = portable(readFile(dir.file(name)));
    return files;
}

BatchRun oneByOne(const Season& season)
{
    FakeFrontEnd frontEnd;
    frontEnd.associations = {{"TDL0417", season.dir.file("EXAMPLE.CAL")}};
    ConversionDriver driver(frontEnd);
    driver.startRun(season.paths);
    FileOutcome worst = FileOutcome::Converted;
    for (const std::string& path : season.paths)
        worst = std::max(worst, driver.convert(path));
    return {worst, season.portable(withoutTimings(frontEnd.log()))};
}

BatchRun onThreads(const Season& season, int jobs, const std::function<FileResult(const PreparedFile&)>& convert)
{
    FakeFrontEnd frontEnd;
    frontEnd.associations = {{"TDL0417", season.dir.file("EXAMPLE.CAL")}};
    ConversionDriver driver(frontEnd);
    driver.startRun(season.paths);
    const BatchSteps steps{[&](std::size_t, const std::string& path, FileLog& log) {
                               frontEnd.writeTo(&log);
                               std::variant<FileOutcome, PreparedFile> prepared = driver.prepare(path);
                               frontEnd.writeTo(nullptr);
                               return prepared;
                           },
                           convert,
                           [&](std::size_t, const PreparedFile& file, const FileResult& result, FileLog& log) {
                               frontEnd.writeTo(&log);
                               const FileOutcome outcome = driver.finish(file, result);
                               frontEnd.writeTo(nullptr);
                               return outcome;
                           }};
    std::string printed;
    const FileOutcome worst =
        convertOnThreads(season.paths, jobs, steps, [&](bool, const std::string& text) { printed += text; });
    return {worst, season.portable(withoutTimings(printed))};
}
