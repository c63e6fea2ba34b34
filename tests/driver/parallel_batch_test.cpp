// The batch that converts on threads against the same files converted one by
// one: the same texts in the same order, the same outputs byte for byte, at
// most the jobs asked for at once, and really several at once.

#include "driver/parallel_batch.h"
#include "fake_front_end.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>

namespace {

namespace fs = std::filesystem;

// A season in miniature, in a folder of its own: good text and binary files
// of both channels, a damaged one, one of another instrument without a
// calibration, a file that is no data, a missing one and one listed twice.
struct Season {
    TempDir dir;
    std::vector<std::string> paths;

    Season()
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

    // The texts with the folder's own name taken out, so two seasons compare.
    std::string portable(std::string text) const
    {
        const std::string folder = dir.path().string();
        for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
            text.replace(at, folder.size(), "SEASON");
        return text;
    }

    // The outputs, whose headers name their files.
    std::map<std::string, std::string> outputs() const
    {
        std::map<std::string, std::string> files;
        for (const std::string& name : folderContents(dir.path()))
            if (name.ends_with(".DAT") || name.ends_with(".RAW"))
                files[name] = portable(readFile(dir.file(name)));
        return files;
    }
};

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

struct Result {
    FileOutcome worst;
    std::string texts;
};

Result oneByOne(const Season& season)
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

// The steps as the converter gives them, with this conversion step.
Result onThreads(const Season& season, int jobs, const std::function<FileResult(const PreparedFile&)>& convert)
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

TEST(ParallelBatch, PrintsAndWritesExactlyWhatOneByOneDoes)
{
    const Season alone;
    const Result expected = oneByOne(alone);
    ASSERT_EQ(expected.worst, FileOutcome::NotConverted);
    const std::string missing = alone.portable("Can Not Find File " + alone.dir.file("MISSING.ASC"));
    ASSERT_NE(expected.texts.find(missing), std::string::npos) << expected.texts;
    ASSERT_EQ(expected.texts.find("Can Not Find File", expected.texts.find(missing) + 1), std::string::npos)
        << "only MISSING.ASC is missing";
    for (const int jobs : {2, 3, 8}) {
        SCOPED_TRACE(jobs);
        const Season together;
        const Result result = onThreads(together, jobs, &ConversionDriver::convertPrepared);
        EXPECT_EQ(result.worst, expected.worst);
        EXPECT_EQ(result.texts, expected.texts);
        EXPECT_TRUE(together.outputs() == alone.outputs()) << "outputs differ";
        EXPECT_EQ(temporariesIn(together.dir.path()), std::vector<std::string>{});
    }
}

TEST(ParallelBatch, RunsAsManyConversionsAtOnceAsAskedAndPrintsInFileOrderWhateverOrderTheyEndIn)
{
    constexpr int jobs = 3;
    constexpr auto guard = std::chrono::seconds(60); // a failing batch must not hang the test
    std::mutex mutex;
    std::condition_variable changed;
    int arrived = 0;
    int running = 0;
    int most = 0;
    std::vector<bool> ended(jobs, false);
    const auto convert = [&](const PreparedFile& file) {
        std::unique_lock lock(mutex);
        const int index = arrived++;
        most = std::max(most, ++running);
        changed.notify_all();
        // The first conversions wait for each other: a batch that ran them
        // one after the other would never get them all here.
        changed.wait_for(lock, guard, [&] { return arrived >= jobs; });
        lock.unlock();
        const FileResult result = ConversionDriver::convertPrepared(file);
        lock.lock();
        --running;
        if (index < jobs) { // and they end the other way round
            ended[static_cast<std::size_t>(index)] = true;
            changed.notify_all();
            changed.wait_for(lock, guard,
                             [&] { return std::all_of(ended.begin() + index, ended.end(), [](bool e) { return e; }); });
        }
        return result;
    };
    const Season season;
    const Result result = onThreads(season, jobs, convert);
    EXPECT_EQ(most, jobs);
    EXPECT_TRUE(std::all_of(ended.begin(), ended.end(), [](bool e) { return e; }));
    EXPECT_EQ(result.texts, oneByOne(season).texts);
}

} // namespace
