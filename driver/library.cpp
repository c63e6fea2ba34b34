#include "driver/library.h"

#include "conversion/netcdf_output.h"
#include "conversion/output_name.h"
#include "driver/channel_set.h"
#include "core/file_path.h"
#include "core/identify.h"
#include "core/regular_file.h"
#include "readback/output_reader.h"
#include "store/associations.h"
#include "store/reg_def.h"
#include "store/store_fault.h"

#include <chrono>
#include <filesystem>

namespace orvantis {

namespace {

// Keeps the batch's texts: the log is dropped, the errors kept in order.
class KeptTexts final : public RunConsole {
public:
    void log(std::string_view) override {}
    void error(const std::string& text) override { errors_ += text; }
    const std::string& errors() const { return errors_; }

private:
    std::string errors_;
};

std::string outcomeWord(const RunReport::File& file)
{
    if (!file.outcome)
        return "not reached";
    if (*file.outcome == FileOutcome::Converted)
        return "converted";
    return file.skipped ? "skipped" : "failed";
}

// A store that cannot be used, in the converter's words.
template <typename Step>
auto withStore(Step step)
{
    try {
        return step();
    } catch (const StoreError& e) {
        const StoreFault* fault = e.cause();
        throw StoreUnusable(fault ? describeStoreFault(*fault) : e.what());
    }
}

// What a failed read said, its lines as the converter printed them.
std::string failureText(const KeptTexts& texts, const std::string& path)
{
    std::string text = texts.errors();
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text.empty() ? path + ": not converted" : text;
}

} // namespace

Content contentOf(const std::string& path)
{
    if (identifiesAsDataFile(path.c_str()))
        return Content::Recording;
    try {
        const OutputReader reader(path);
        return reader.layout() == OutputLayout::NetCdf ? Content::NetcdfOutput : Content::Output;
    } catch (const OutputReadError&) {
        return Content::Unknown;
    }
}

MemoryDataset readRecording(const std::string& path, const ReadOptions& options, std::vector<std::string>* warnings,
                            SpectraRows rows)
{
    if (fileKind(path) == FileKind::Folder)
        throw Error(path + " is a folder, not a recording");
    MemoryDataset dataset(rows);
    BatchOptions batch;
    batch.calFile = options.calFile;
    batch.calAnySerial = options.calAnySerial;
    batch.conversion.level = static_cast<int8_t>(options.level);
    batch.conversion.ignoreImmersion = options.ignoreImmersion;
    batch.conversion.form = OutputForm::NetCdf;
    batch.quiet = true;
    batch.memoryDataset = &dataset;
    // Stopped past the rows asked for: the rest is of no use. Without
    // spectra asked for, every spectrum's fields still are.
    bool rowsRead = false;
    if (rows.count > 0 && rows.end() != SpectraRows{}.end())
        batch.progress = [&rowsRead, end = rows.end()](const ConversionProgress& at) {
            rowsRead = static_cast<std::size_t>(at.spectra) >= end;
            return !rowsRead;
        };
    KeptTexts texts;
    const BatchResult result = runBatch({path}, batch, texts);
    const bool converted = !result.calibrationUnread && result.report.size() == 1 &&
                           (rowsRead || result.report.file(0).outcome == FileOutcome::Converted);
    if (!converted)
        throw Error(failureText(texts, path));
    if (warnings && result.report.size() == 1)
        *warnings = result.report.file(0).messages;
    return dataset;
}

namespace {

NetcdfProvenance outputProvenance(const std::string& path, const OutputHeader& header, const SpectrumRecord& first,
                                  const CalTable& noCalibration)
{
    NetcdfProvenance p;
    p.sourceFile = header.sourceFile.empty() ? path : header.sourceFile;
    p.calFile = header.calibrationFile;
    p.serial = header.serial;
    p.channelName = header.channelName;
    p.channel = first.channel; // -1 from text outputs, which do not say
    p.level = first.process;
    p.calibration = &noCalibration;
    return p;
}

// The wavelengths a text output states, beside the pixel numbers of its
// first pixel set.
void addStatedWavelengths(MemoryDataset& dataset, const std::vector<double>& wavelengths)
{
    const auto& dimensions = dataset.dimensions();
    for (std::size_t d = 0; d < dimensions.size(); ++d) {
        if (dimensions[d].name != "pixel" || dimensions[d].length != wavelengths.size())
            continue;
        const int variable = dataset.defineVariable("wavelength", ValueType::Double, {static_cast<int>(d)});
        dataset.putAttribute(variable, "long_name", std::string("wavelength"));
        dataset.putAttribute(variable, "units", std::string("nm"));
        dataset.putAttribute(variable, "comment", std::string("As the output states it."));
        dataset.write(variable, 0, wavelengths.size(), wavelengths.data());
    }
}

void check(bool done, const NetcdfOutput& writer)
{
    if (!done)
        throw Error(writer.error());
}

} // namespace

MemoryDataset readOutput(const std::string& path)
{
    try {
        OutputReader reader(path);
        OutputSpectrum spectrum;
        if (!reader.next(spectrum))
            throw Error(path + " holds no spectrum");
        MemoryDataset dataset;
        const CalTable noCalibration;
        NetcdfOutput writer;
        check(writer.createInMemory(dataset, outputProvenance(path, reader.header(), spectrum.record, noCalibration)),
              writer);
        do
            check(writer.append(spectrum.record, spectrum.values.data()), writer);
        while (reader.next(spectrum));
        check(writer.finish(), writer);
        addStatedWavelengths(dataset, reader.wavelengths());
        return dataset;
    } catch (const OutputReadError& e) {
        throw Error(e.what());
    }
}

std::vector<std::string> channelSet(const std::string& path)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const std::string& name : channelSetNames(path))
        if (std::filesystem::is_regular_file(pathFromUtf8(name), ec))
            files.push_back(name);
    return files;
}

BatchReport convert(const std::vector<std::string>& inputs, const BatchOptions& options)
{
    const auto start = std::chrono::steady_clock::now();
    KeptTexts texts;
    BatchResult result = runBatch(inputs, options, texts);
    BatchReport report;
    if (result.calibrationUnread)
        throw Error(failureText(texts, options.calFile));
    for (std::size_t i = 0; i < result.report.size(); ++i) {
        const RunReport::File& file = result.report.file(i);
        ConvertedFile converted{result.report.path(i), outcomeWord(file), {}, file.spectra, file.messages};
        if (converted.outcome == "converted")
            converted.output = outputFileName(converted.path, options.conversion.level, options.conversion.form);
        report.files.push_back(std::move(converted));
    }
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    report.summary = result.report.summary(taken.count());
    return report;
}

std::string associate(const std::string& serial, const std::string& calFile)
{
    if (serial.empty())
        throw Error("the serial number must not be empty");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(pathFromUtf8(calFile), ec))
        throw Error("calibration file not found: " + calFile);
    const std::string fullPath = utf8FromPath(std::filesystem::absolute(pathFromUtf8(calFile), ec).lexically_normal());
    if (ec)
        throw Error("cannot make an absolute path of " + calFile + ": " + ec.message());
    withStore([&] { return storeCalFile(serial, fullPath); });
    return fullPath;
}

bool forget(const std::string& serial)
{
    return withStore([&] { return forgetCalFile(serial); });
}

std::vector<std::pair<std::string, std::string>> associations()
{
    return withStore([] { return listCalFiles(); });
}

} // namespace orvantis
