#include "driver/batch_run.h"

#include "calibration/cal_file.h"
#include "driver/data_files.h"
#include "driver/parallel_batch.h"
#include "store/associations.h"
#include "store/reg_def.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Every line of an error text names the file it concerns.
std::string naming(const std::string& path, const std::string& text)
{
    std::string named;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        if (!line.empty())
            named += (line.starts_with(path + ":") || line.starts_with(path + " ") ? line : path + ": " + line) + "\n";
        start = end + 1;
    }
    return named;
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// The converter asks nobody: a file without an associated calibration file
// is not converted, and the store's troubles are failures of the file. Its
// texts go to the console, or to the log of the file being prepared or
// finished in a batch on threads; every error names its file and is noted
// in the run's report.
class ConverterFrontEnd : public DriverFrontEnd {
public:
    ConverterFrontEnd(const BatchOptions& options, RunConsole& console, RunReport& report)
        : options_(options), console_(console), report_(report)
    {}

    ConversionOptions options() override { return options_.conversion; }

    Log::Sink logSink() override
    {
        if (options_.quiet)
            return {};
        if (FileLog* log = fileLog_)
            return [log](const char* text) { log->addLog(text); };
        return [&console = console_](const char* text) { console.log(text); };
    }

    Log::Sink errorBox() override
    {
        return
            [this, file = file_, path = path_, log = fileLog_](const char* text) { sendError(file, path, log, text); };
    }

    ProgressSink progressSink() override
    {
        if (options_.progress)
            return options_.progress;
        if (!showsProgress())
            return {};
        return [&console = console_, heading = heading()](const ConversionProgress& at) {
            console.status(heading + "  " + withThousands(at.spectra) + " spectra");
            return true;
        };
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

    void reportFailure(const std::string& text) override { sendError(file_, path_, fileLog_, text); }

    void reportUnknownSerial(const std::string& serial, const std::string& text) override
    {
        reportFailure(text + " Associate one with: orvantis-cli associate " + serial +
                      " CALFILE, or convert with --cal CALFILE.");
    }

    // Said on stderr only when the conversion told nothing there: one
    // problem, one line.
    void reportConversionFailed(const std::string& text) override
    {
        if (!report_.hasError(file_)) {
            reportFailure(text);
            return;
        }
        if (const Log::Sink log = logSink())
            log((text + "\n").c_str());
    }

    void reportSkipped(const std::string& reason) override
    {
        report_.skipped(file_);
        reportFailure(reason);
    }

    void reportWarning(const std::string& text) override
    {
        const std::string named = naming(path_, text);
        report_.warning(file_, firstLine(named));
        printError(fileLog_, named);
    }

    bool useForeignCalibration(const ForeignCalibration&) override { return options_.calAnySerial; }

    // The file that the texts from now on concern, and where they go: the
    // file's log, or with null the console.
    void startFile(std::size_t file, const std::string& path, std::size_t count)
    {
        file_ = file;
        path_ = path;
        count_ = count;
        if (showsProgress())
            console_.status(heading());
    }
    void writeTo(FileLog* log) { fileLog_ = log; }

private:
    bool showsProgress() const { return !options_.quiet && console_.showsStatus(); }
    // "[12/200] season/c1/CAST012A.ASC"
    std::string heading() const
    {
        return "[" + std::to_string(file_ + 1) + "/" + std::to_string(count_) + "] " + path_;
    }

    void sendError(std::size_t file, const std::string& path, FileLog* log, const std::string& text)
    {
        const std::string named = naming(path, text);
        report_.error(file, firstLine(named));
        printError(log, named);
    }

    // To the file's log, or with null straight to the console.
    void printError(FileLog* log, const std::string& named)
    {
        if (log)
            log->addError(named);
        else
            console_.error(named);
    }

    const BatchOptions& options_;
    RunConsole& console_;
    RunReport& report_;
    FileLog* fileLog_ = nullptr;
    std::size_t file_ = 0;
    std::string path_;
    std::size_t count_ = 0;
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

bool loadFixedCalibration(ConversionDriver& driver, RunConsole& console, const std::string& calFile)
{
    try {
        return driver.useFixedCalFile(calFile);
    } catch (const CalFileOpenError& error) {
        console.error("Error: Could not read Calibration File " + calFile + ": " + error.what() + "\n");
        return false;
    }
}

// Converts the files one by one or on threads, noting each one's end in the report.
class Run {
public:
    Run(const BatchOptions& options, const std::vector<std::string>& paths, RunConsole& console, RunReport& report)
        : paths_(paths), memoryDataset_(options.memoryDataset), report_(report), frontEnd_(options, console, report),
          driver_(frontEnd_)
    {}

    ConversionDriver& driver() { return driver_; }

    FileOutcome oneByOne()
    {
        FileOutcome worst = FileOutcome::Converted;
        for (std::size_t i = 0; i < paths_.size(); ++i) {
            frontEnd_.startFile(i, paths_[i], paths_.size());
            const std::variant<FileOutcome, PreparedFile> prepared = prepare(paths_[i]);
            const PreparedFile* file = std::get_if<PreparedFile>(&prepared);
            worst = std::max(worst, file ? finish(i, *file, ConversionDriver::convertPrepared(*file))
                                         : ended(i, std::get<FileOutcome>(prepared)));
        }
        return worst;
    }

    FileOutcome onThreads(int jobs, RunConsole& console)
    {
        const BatchSteps steps{
            [&](std::size_t file, const std::string& path, FileLog& log) {
                frontEnd_.startFile(file, path, paths_.size());
                frontEnd_.writeTo(&log);
                std::variant<FileOutcome, PreparedFile> prepared = prepare(path);
                frontEnd_.writeTo(nullptr);
                if (const FileOutcome* outcome = std::get_if<FileOutcome>(&prepared))
                    ended(file, *outcome);
                return prepared;
            },
            [](const PreparedFile& file) { return ConversionDriver::convertPrepared(file); },
            [&](std::size_t file, const PreparedFile& prepared, const FileResult& result, FileLog& log) {
                frontEnd_.startFile(file, prepared.path, paths_.size());
                frontEnd_.writeTo(&log);
                const FileOutcome outcome = finish(file, prepared, result);
                frontEnd_.writeTo(nullptr);
                return outcome;
            }};
        const TextPrinter print = [&console](bool error, const std::string& text) {
            if (error)
                console.error(text);
            else
                console.log(text);
        };
        return convertOnThreads(paths_, jobs, steps, print);
    }

private:
    std::variant<FileOutcome, PreparedFile> prepare(const std::string& path)
    {
        std::variant<FileOutcome, PreparedFile> prepared = prepareReportingOpenErrors(driver_, frontEnd_, path);
        if (PreparedFile* file = std::get_if<PreparedFile>(&prepared))
            file->conversion.memoryDataset = memoryDataset_;
        return prepared;
    }

    FileOutcome finish(std::size_t index, const PreparedFile& file, const FileResult& result)
    {
        report_.converted(index, result.spectra);
        return ended(index, driver_.finish(file, result));
    }

    FileOutcome ended(std::size_t index, FileOutcome outcome)
    {
        report_.ended(index, outcome);
        return outcome;
    }

    const std::vector<std::string>& paths_;
    MemoryDataset* memoryDataset_;
    RunReport& report_;
    ConverterFrontEnd frontEnd_;
    ConversionDriver driver_;
};

} // namespace

BatchResult runBatch(const std::vector<std::string>& inputs, const BatchOptions& options, RunConsole& console)
{
    const DataFileList listed = dataFilesOf(inputs);
    BatchResult result{FileOutcome::Converted, listed.files, RunReport(listed.files)};
    Run run(options, result.files, console, result.report);
    run.driver().command = options.command;
    run.driver().startRun(result.files);
    for (const ListingFailure& failure : listed.failures) {
        console.error(failure.text + "\n");
        result.report.unreadable(failure.path, failure.text);
    }
    if (!options.calFile.empty() && !loadFixedCalibration(run.driver(), console, options.calFile)) {
        result.worst = FileOutcome::CalibrationUnreadable;
        result.calibrationUnread = true;
        return result;
    }
    const int jobs =
        static_cast<int>(std::min(static_cast<std::size_t>(std::max(options.jobs, 1)), result.files.size()));
    result.worst = jobs > 1 ? run.onThreads(jobs, console) : run.oneByOne();
    if (!listed.failures.empty())
        result.worst = std::max(result.worst, FileOutcome::NotConverted);
    return result;
}
