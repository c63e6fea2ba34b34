#include "cli/batch_conversion.h"

#include "calibration/cal_file.h"
#include "cli/descriptor_headroom.h"
#include "cli/log_stream.h"
#include "cli/stdout_log.h"
#include "driver/conversion_driver.h"
#include "driver/parallel_batch.h"
#include "store/associations.h"
#include "store/reg_def.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The converter asks nobody: a file without an associated calibration file
// is not converted, and the store's troubles are failures of the file. Its
// texts go to the standard streams, or to the log of the file being
// prepared or finished in a batch on threads.
class ConverterFrontEnd : public DriverFrontEnd {
public:
    explicit ConverterFrontEnd(const CliOptions& options) : options_(options) {}

    ConversionOptions options() override { return options_.conversion; }

    Log::Sink logSink() override
    {
        if (FileLog* log = fileLog_)
            return [log](const char* text) { log->addLog(text); };
        return logToStdout;
    }

    Log::Sink errorBox() override
    {
        if (FileLog* log = fileLog_)
            return [log](const char* text) { log->addError(asLine(text)); };
        return {};
    }

    std::optional<std::string> associatedCalFile(const std::string& serial) override
    {
        try {
            return lookupCalFile(serial);
        } catch (const StoreError& unusable) { // never taken for "no association"
            reportFailure("Cannot look up the calibration file of Tidelume #" + serial + ": " + unusable.what());
            return std::nullopt;
        }
    }

    void rememberCalFile(const std::string& serial, const std::string& calFile) override
    {
        storeCalFile(serial, calFile);
    }

    std::optional<std::string> chooseCalFile(const std::string&) override { return std::nullopt; }

    void reportFailure(const std::string& text) override
    {
        if (fileLog_)
            fileLog_->addError(text + "\n");
        else
            ::reportFailure(text);
    }

    void reportSkipped(const std::string& reason) override { reportFailure(reason); }

    // Where the texts go from now on: the file's log, or with null the
    // standard streams.
    void writeTo(FileLog* log) { fileLog_ = log; }

private:
    static std::string asLine(const char* text)
    {
        std::string line = text;
        if (line.empty() || line.back() != '\n')
            line += '\n';
        return line;
    }

    const CliOptions& options_;
    FileLog* fileLog_ = nullptr;
};

// A calibration file that exists but cannot be opened ends the file here;
// the window lets the same error end its run.
std::variant<FileOutcome, PreparedFile> prepareReportingOpenErrors(ConversionDriver& driver, DriverFrontEnd& frontEnd,
                                                                   const std::string& path)
{
    try {
        return driver.prepare(path);
    } catch (const CalFileOpenError& error) {
        frontEnd.reportFailure("Error: Could not read Calibration File " + driver.state.CurrentCalFile + ": " +
                               error.what());
        return FileOutcome::CalibrationUnreadable;
    }
}

bool loadFixedCalibration(ConversionDriver& driver, const std::string& calFile)
{
    try {
        return driver.useFixedCalFile(calFile);
    } catch (const CalFileOpenError& error) {
        reportFailure("Error: Could not read Calibration File " + calFile + ": " + error.what());
        return false;
    }
}

FileOutcome convertOneByOne(ConversionDriver& driver, ConverterFrontEnd& frontEnd,
                            const std::vector<std::string>& paths)
{
    FileOutcome worst = FileOutcome::Converted;
    for (const std::string& path : paths) {
        const std::variant<FileOutcome, PreparedFile> prepared = prepareReportingOpenErrors(driver, frontEnd, path);
        const PreparedFile* file = std::get_if<PreparedFile>(&prepared);
        worst = std::max(worst, file ? driver.finish(*file, ConversionDriver::convertPrepared(*file))
                                     : std::get<FileOutcome>(prepared));
    }
    return worst;
}

FileOutcome convertInParallel(ConversionDriver& driver, ConverterFrontEnd& frontEnd,
                              const std::vector<std::string>& paths, int jobs)
{
    const BatchSteps steps{[&](const std::string& path, FileLog& log) {
                               frontEnd.writeTo(&log);
                               std::variant<FileOutcome, PreparedFile> prepared =
                                   prepareReportingOpenErrors(driver, frontEnd, path);
                               frontEnd.writeTo(nullptr);
                               return prepared;
                           },
                           [](const PreparedFile& file) { return ConversionDriver::convertPrepared(file); },
                           [&](const PreparedFile& file, const FileResult& result, FileLog& log) {
                               frontEnd.writeTo(&log);
                               const FileOutcome outcome = driver.finish(file, result);
                               frontEnd.writeTo(nullptr);
                               return outcome;
                           }};
    const TextPrinter print = [](bool error, const std::string& text) {
        if (!error)
            return writeLog(stdout, text.data(), text.size());
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
    };
    return convertOnThreads(paths, jobsWithinDescriptors(jobs), steps, print);
}

} // namespace

int runConversion(const CliOptions& options, const std::string& command)
{
    ConverterFrontEnd frontEnd(options);
    ConversionDriver driver(frontEnd);
    driver.command = command;
    driver.startRun(options.dataFiles);
    if (!options.calFile.empty() && !loadFixedCalibration(driver, options.calFile))
        return static_cast<int>(FileOutcome::CalibrationUnreadable);
    const int jobs = static_cast<int>(std::min(static_cast<std::size_t>(options.jobs), options.dataFiles.size()));
    const FileOutcome worst = jobs > 1 ? convertInParallel(driver, frontEnd, options.dataFiles, jobs)
                                       : convertOneByOne(driver, frontEnd, options.dataFiles);
    return static_cast<int>(worst);
}
