#include "driver/conversion_driver.h"

#include "calibration/cal_table.h"
#include "conversion/processing.h"
#include "core/identify.h"
#include "core/processing_state.h"
#include "core/regular_file.h"
#include "driver/file_age.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace {

bool fileExists(const std::string& path)
{
    const FileKind kind = fileKind(path);
    return kind == FileKind::Regular || kind == FileKind::Other;
}

bool readable(const std::string& path)
{
    return std::ifstream(path).is_open();
}

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

void ConversionDriver::log(const std::string& text)
{
    if (const LogCallback sink = frontEnd_.logSink())
        sink(text.c_str());
}

bool ConversionDriver::useFixedCalFile(const std::string& calFile)
{
    options_ = frontEnd_.options();
    freeCals();
    if (loadCalFile(calFile.c_str(), options_.verbose, options_.ignoreImmersion, frontEnd_.logSink()) != 0) {
        frontEnd_.reportFailure("Error: Could not read Calibration File " + calFile);
        return false;
    }
    state.CurrentCalFile = calFile;
    fixedCalFile_ = true;
    return true;
}

// The four tests of whether the calibration must be loaded again; they only
// ever raise CalReloadNeeded.
void ConversionDriver::checkReloadNeeded()
{
    const ChannelCal* cal = calTable[chanIndex].cal.get();
    if (!cal) {
        if (options_.verbose)
            log("No Calibration Loaded yet.\n");
        state.CalReloadNeeded = true;
    } else if (!equalIgnoringCase(cal->serial, dataSerial)) {
        if (options_.verbose)
            log(std::string("Old Serial: ") + cal->serial + ", new Serial:" + dataSerial + "\n");
        state.CalReloadNeeded = true;
    }
    if (state.CurrentCalFile.empty() || fileAge(state.CurrentCalFile) != state.CurrentCalFileAge)
        state.CalReloadNeeded = true;
    if (options_.ignoreImmersion != state.CurrentIgnoreImmersion) {
        state.CurrentIgnoreImmersion = options_.ignoreImmersion;
        state.CalReloadNeeded = true;
    }
}

// Finds the serial's calibration file, asking when there is none. Nothing
// when one was found, else the file's outcome.
std::optional<FileOutcome> ConversionDriver::findCalFile()
{
    const std::string serial = dataSerial;
    const std::optional<std::string> associated = frontEnd_.associatedCalFile(serial);
    if (!associated)
        return FileOutcome::CalibrationUnreadable;
    state.CurrentCalFile = *associated;
    if (fileExists(state.CurrentCalFile))
        return std::nullopt;
    if (const std::optional<std::string> chosen = frontEnd_.chooseCalFile(serial))
        state.CurrentCalFile = *chosen;
    if (fileExists(state.CurrentCalFile)) {
        saveAssociation_ = true;
        return std::nullopt;
    }
    frontEnd_.reportFailure("Must associate a calibration file with Tidelume #" + serial + " to use Orvantis.");
    return FileOutcome::NotConverted;
}

// Looks the calibration up and loads it. Nothing when it is loaded, else the
// file's outcome. A file that cannot be opened raises CalFileOpenError.
std::optional<FileOutcome> ConversionDriver::reloadCalibration()
{
    state.CurrentCalFile.clear();
    if (const std::optional<FileOutcome> failed = findCalFile())
        return failed;
    freeCals();
    if (loadCalFile(state.CurrentCalFile.c_str(), options_.verbose, options_.ignoreImmersion, frontEnd_.logSink()) !=
        0) {
        frontEnd_.reportFailure("Error: Could not read Calibration File " + state.CurrentCalFile);
        saveAssociation_ = false;
        return FileOutcome::CalibrationUnreadable;
    }
    state.CurrentCalFileAge = fileAge(state.CurrentCalFile);
    state.CalReloadNeeded = false;
    return std::nullopt;
}

void ConversionDriver::startRun(const std::vector<std::string>& inputs)
{
    saveAssociation_ = false;
    outputs_ = RunOutputs(inputs);
}

FileOutcome ConversionDriver::skip(const std::string& reason)
{
    log(reason + "\n");
    frontEnd_.reportSkipped(reason);
    return FileOutcome::NotConverted;
}

std::optional<FileOutcome> ConversionDriver::prepare(const std::string& path)
{
    options_ = frontEnd_.options();
    log("Calibrate ");
    log(path);
    log("\n");
    const FileKind kind = fileKind(path);
    if (kind == FileKind::Missing || kind == FileKind::Folder) {
        frontEnd_.reportFailure("Can Not Find File " + path);
        return FileOutcome::NotConverted;
    }
    if (kind != FileKind::Regular) // a FIFO or a device would never end
        return skip(path + " is not a regular file; not converted");
    const OutputForm form = chosenOutputForm(options_.binary != 0, options_.netcdf);
    if (const std::optional<std::string> refusal = outputs_.claim(path, options_.level, form))
        return skip(*refusal);
    if (identifyDataFile(path.c_str()) == 0) {
        if (!readable(path)) // identification has told why already
            return FileOutcome::NotConverted;
        // Identification logs the name at the start of a line, to the
        // processing side's sink, and stops there when it finds no serial
        // number: when that line is in this log, it is finished here.
        if (dataSerial[0] == '\0' && ::logSink == frontEnd_.logSink())
            log("is not a Tidelume data file\n");
        else
            log(path + " is not a Tidelume data file\n");
        frontEnd_.reportSkipped(path + " is not a Tidelume data file");
        return FileOutcome::NotConverted;
    }
    log("Channel ");
    log(std::to_string(chanIndex));
    log("\n");
    if (chanIndex < 0 || chanIndex >= MAX_CHANNELS)
        return skip(path + " has an unknown channel (" + std::to_string(int64_t{chanIndex} + 1) + ")");
    if (fixedCalFile_)
        return std::nullopt;
    checkReloadNeeded();
    if (state.CalReloadNeeded)
        return reloadCalibration();
    return std::nullopt;
}

FileOutcome ConversionDriver::calibrate(const std::string& path)
{
    const OutputForm form = chosenOutputForm(options_.binary != 0, options_.netcdf);
    const int result =
        calibrateFile(path.c_str(), state.CurrentCalFile.c_str(), options_.level, options_.transpose,
                      static_cast<int>(form), options_.delimiter, options_.verbose ? 1 : 0, frontEnd_.logSink());
    if (result == CANCELLED) // the user stopped it and knows
        return FileOutcome::NotConverted;
    if (result != 0) {
        frontEnd_.reportFailure("Error: Could Not Calibrate " + path);
        return FileOutcome::NotConverted;
    }
    if (saveAssociation_)
        frontEnd_.rememberCalFile(dataSerial, state.CurrentCalFile);
    return FileOutcome::Converted;
}

FileOutcome ConversionDriver::convert(const std::string& path)
{
    const std::optional<FileOutcome> prepared = prepare(path);
    return prepared ? *prepared : calibrate(path);
}
