#include "cli/batch_conversion.h"

#include "calibration/cal_file.h"
#include "calibration/cal_table.h"
#include "cli/parallel_batch.h"
#include "cli/stdout_log.h"
#include "core/identify.h"
#include "conversion/output_name.h"
#include "conversion/processing.h"
#include "core/processing_state.h"
#include "store/associations.h"
#include "store/reg_def.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool fileExists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

void logText(const std::string& text)
{
    logToStdout(text.c_str());
}

// A file passed over: the reason goes to the log and to the error stream.
FileStatus skip(const std::string& reason)
{
    logText(reason + "\n");
    reportFailure(reason);
    return FileStatus::Skipped;
}

bool readable(const std::string& path)
{
    return std::ifstream(path).is_open();
}

} // namespace

bool BatchConverter::loadCalibration(const std::string& calFile)
{
    freeCals();
    loadedCalFile_.clear();
    try {
        if (loadCalFile(calFile.c_str(), options_.verbose, options_.ignoreImmersion, logToStdout) != 0) {
            reportFailure("Error: Could not read Calibration File " + calFile);
            return false;
        }
    } catch (const CalFileOpenError& error) {
        reportFailure("Error: Could not read Calibration File " + calFile + ": " + error.what());
        return false;
    }
    loadedCalFile_ = calFile;
    return true;
}

bool BatchConverter::loadFixedCalibration()
{
    return loadCalibration(options_.calFile);
}

// Loads the calibration associated with the file's serial number when the
// one in the table does not fit: empty slot, other instrument, other file.
FileStatus BatchConverter::ensureAssociatedCalibration()
{
    const std::string serial = dataSerial;
    std::string associated;
    try {
        associated = lookupCalFile(serial);
    } catch (const StoreError& unusable) { // never taken for "no association"
        reportFailure("Cannot look up the calibration file of Tidelume #" + serial + ": " + unusable.what());
        return FileStatus::CalibrationUnreadable;
    }
    if (!fileExists(associated)) {
        reportFailure("No calibration file associated with Tidelume #" + serial);
        return FileStatus::Skipped;
    }
    bool reload = associated != loadedCalFile_;
    const ChannelCal* cal = calTable[chanIndex].cal.get();
    if (!cal) {
        if (options_.verbose)
            logText("No Calibration Loaded yet.\n");
        reload = true;
    } else if (!equalIgnoringCase(cal->serial, serial)) {
        if (options_.verbose)
            logText(std::string("Old Serial: ") + cal->serial + ", new Serial:" + serial + "\n");
        reload = true;
    }
    if (reload && !loadCalibration(associated))
        return FileStatus::CalibrationUnreadable;
    return FileStatus::Converted;
}

std::optional<FileStatus> BatchConverter::prepare(const std::string& path)
{
    logText("Calibrate ");
    logText(path);
    logText("\n");
    if (!fileExists(path)) {
        reportFailure("Can Not Find File " + path);
        return FileStatus::Skipped;
    }
    if (identifyDataFile(path.c_str()) == 0) // an unreadable file has had its error already
        return readable(path) ? skip(path + " is not a Tidelume data file") : FileStatus::Skipped;
    logText("Channel ");
    logText(std::to_string(chanIndex));
    logText("\n");
    if (chanIndex < 0 || chanIndex >= MAX_CHANNELS)
        return skip(path + " has an unknown channel (" + std::to_string(int64_t{chanIndex} + 1) + ")");
    if (options_.calFile.empty()) {
        const FileStatus status = ensureAssociatedCalibration();
        if (status != FileStatus::Converted)
            return status;
    }
    return std::nullopt;
}

FileStatus BatchConverter::calibrate(const std::string& path) const
{
    if (calibrateFile(path.c_str(), loadedCalFile_.c_str(), static_cast<int8_t>(options_.level), options_.transpose,
                      options_.binary, options_.delimiter, options_.verbose, logToStdout) != 0) {
        reportFailure("Error: Could Not Calibrate " + path);
        return FileStatus::Skipped;
    }
    return FileStatus::Converted;
}

FileStatus BatchConverter::convert(const std::string& path)
{
    const std::optional<FileStatus> prepared = prepare(path);
    return prepared ? *prepared : calibrate(path);
}

namespace {

FileStatus convertOneByOne(BatchConverter& converter, const std::vector<std::string>& paths)
{
    FileStatus worst = FileStatus::Converted;
    for (const std::string& path : paths)
        worst = std::max(worst, converter.convert(path));
    return worst;
}

FileStatus convertInParallel(BatchConverter& converter, const CliOptions& options, int jobs)
{
    std::vector<BatchFile> files;
    for (const std::string& path : options.dataFiles)
        files.push_back({path, outputFileName(path, options.level, options.binary)});
    const FileSteps steps{[&](const std::string& path) { return converter.prepare(path); },
                          [&](const std::string& path) { return converter.calibrate(path); }};
    return runInChildProcesses(files, jobs, steps, stdout, stderr);
}

} // namespace

int runConversion(const CliOptions& options)
{
    BatchConverter converter(options);
    if (!options.calFile.empty() && !converter.loadFixedCalibration())
        return static_cast<int>(FileStatus::CalibrationUnreadable);
    const int jobs = static_cast<int>(std::min<std::size_t>(options.jobs, options.dataFiles.size()));
    const FileStatus worst =
        jobs > 1 ? convertInParallel(converter, options, jobs) : convertOneByOne(converter, options.dataFiles);
    return static_cast<int>(worst);
}
