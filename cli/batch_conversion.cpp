#include "cli/batch_conversion.h"

#include "calibration/cal_file.h"
#include "cli/parallel_batch.h"
#include "cli/stdout_log.h"
#include "conversion/output_name.h"
#include "driver/conversion_driver.h"
#include "store/associations.h"
#include "store/reg_def.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The converter asks nobody: a file without an associated calibration file
// is not converted, and the store's troubles are failures of the file.
class ConverterFrontEnd : public DriverFrontEnd {
public:
    explicit ConverterFrontEnd(const CliOptions& options) : options_(options) {}

    ConversionOptions options() override
    {
        return {static_cast<int8_t>(options_.level),
                options_.transpose ? 1 : 0,
                options_.binary ? 1 : 0,
                options_.delimiter,
                options_.verbose,
                options_.ignoreImmersion,
                options_.netcdf};
    }

    LogCallback logSink() override { return quiet_ ? nullptr : logToStdout; }

    // Whether the log is left out (the global sink that identification
    // writes to as well).
    void setQuiet(bool quiet)
    {
        quiet_ = quiet;
        ::logSink = logSink();
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

    void reportFailure(const std::string& text) override { ::reportFailure(text); }

    void reportSkipped(const std::string& reason) override { ::reportFailure(reason); }

private:
    const CliOptions& options_;
    bool quiet_ = false;
};

// A calibration file that exists but cannot be opened ends the file here;
// the window lets the same error end its run.
std::optional<FileOutcome> prepareReportingOpenErrors(ConversionDriver& driver, const std::string& path)
{
    try {
        return driver.prepare(path);
    } catch (const CalFileOpenError& error) {
        reportFailure("Error: Could not read Calibration File " + driver.state.CurrentCalFile + ": " + error.what());
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

FileOutcome convertOneByOne(ConversionDriver& driver, const std::vector<std::string>& paths)
{
    FileOutcome worst = FileOutcome::Converted;
    for (const std::string& path : paths) {
        const std::optional<FileOutcome> prepared = prepareReportingOpenErrors(driver, path);
        worst = std::max(worst, prepared ? *prepared : driver.calibrate(path));
    }
    return worst;
}

FileOutcome convertInParallel(ConversionDriver& driver, const CliOptions& options, int jobs)
{
    std::vector<BatchFile> files;
    for (const std::string& path : options.dataFiles)
        files.push_back({path, outputFileName(path, options.level, chosenOutputForm(options.binary, options.netcdf))});
    const FileSteps steps{
        [&](const std::string& path) { return prepareReportingOpenErrors(driver, path); },
        [&](const std::string& path) { return driver.calibrate(path); },
        [&](std::size_t file) {
            std::vector<std::string> arguments{BatchChildOption, driver.state.CurrentCalFile, std::to_string(file)};
            arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
            return arguments;
        }};
    return runInChildProcesses(files, jobs, steps, stdout, stderr);
}

} // namespace

int runConversion(const CliOptions& options)
{
    ConverterFrontEnd frontEnd(options);
    ConversionDriver driver(frontEnd);
    driver.startRun(options.dataFiles);
    if (!options.calFile.empty() && !loadFixedCalibration(driver, options.calFile))
        return static_cast<int>(FileOutcome::CalibrationUnreadable);
    const int jobs = static_cast<int>(std::min(static_cast<std::size_t>(options.jobs), options.dataFiles.size()));
    const FileOutcome worst =
        jobs > 1 ? convertInParallel(driver, options, jobs) : convertOneByOne(driver, options.dataFiles);
    return static_cast<int>(worst);
}

int runBatchChild(const CliOptions& options, const std::string& calFile, std::size_t file)
{
    if (file >= options.dataFiles.size())
        return static_cast<int>(FileOutcome::NotConverted);
    const std::string& path = options.dataFiles[file];
    ConverterFrontEnd frontEnd(options);
    ConversionDriver driver(frontEnd);
    driver.startRun({path});
    // The parent has logged loading the calibration and preparing the file.
    frontEnd.setQuiet(true);
    const bool loaded = loadFixedCalibration(driver, calFile);
    const std::optional<FileOutcome> prepared = loaded ? driver.prepare(path) : FileOutcome::CalibrationUnreadable;
    frontEnd.setQuiet(false);
    return static_cast<int>(prepared ? *prepared : driver.calibrate(path));
}
