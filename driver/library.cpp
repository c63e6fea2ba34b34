#include "driver/library.h"

#include "conversion/output_name.h"
#include "core/file_path.h"
#include "core/identify.h"
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
        OutputReader reader(path);
        return Content::Output;
    } catch (const OutputReadError&) {
        return Content::Unknown;
    }
}

MemoryDataset readRecording(const std::string& path, const ReadOptions& options, std::vector<std::string>* warnings)
{
    MemoryDataset dataset;
    BatchOptions batch;
    batch.calFile = options.calFile;
    batch.calAnySerial = options.calAnySerial;
    batch.conversion.level = static_cast<int8_t>(options.level);
    batch.conversion.ignoreImmersion = options.ignoreImmersion;
    batch.conversion.form = OutputForm::NetCdf;
    batch.quiet = true;
    batch.memoryDataset = &dataset;
    KeptTexts texts;
    const BatchResult result = runBatch({path}, batch, texts);
    const bool converted = !result.calibrationUnread && result.report.size() == 1 &&
                           result.report.file(0).outcome == FileOutcome::Converted;
    if (!converted)
        throw Error(failureText(texts, path));
    if (warnings && result.report.size() == 1)
        *warnings = result.report.file(0).messages;
    return dataset;
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
