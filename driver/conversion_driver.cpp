#include "driver/conversion_driver.h"

#include "conversion/processing.h"
#include "core/file_path.h"
#include "core/identify.h"
#include "core/regular_file.h"
#include "driver/file_age.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
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

bool emptyFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::file_size(pathFromUtf8(path), error) == 0 && !error;
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string refusalText(const ForeignCalibration& f)
{
    return f.dataFile + " is from Tidelume #" + f.dataSerial + " but " + f.calFile + " is for #" + f.calSerial +
           ": not converted (associate #" + f.dataSerial +
           "'s own calibration, or give --cal-any-serial to use it anyway)";
}

} // namespace

Log ConversionDriver::log() const
{
    Log log;
    log.sink = frontEnd_.logSink();
    log.errorBox = frontEnd_.errorBox();
    log.verbose = options_.verbose;
    return log;
}

void ConversionDriver::log(const std::string& text)
{
    if (const Log::Sink sink = frontEnd_.logSink())
        sink(text.c_str());
}

bool ConversionDriver::useFixedCalFile(const std::string& calFile)
{
    options_ = frontEnd_.options();
    calibration_ = std::make_shared<CalTable>();
    if (loadCalFile(*calibration_, calFile.c_str(), options_.ignoreImmersion, log()) != 0) {
        frontEnd_.reportFailure("Error: Could not read Calibration File " + calFile);
        return false;
    }
    state.CurrentCalFile = calFile;
    fixedCalFile_ = true;
    return true;
}

// The four tests of whether the calibration must be loaded again; they only
// ever raise CalReloadNeeded.
void ConversionDriver::checkReloadNeeded(const DataIdentity& identity)
{
    const ChannelCal* cal = calibration_->channelCal(identity.channel);
    if (!cal) {
        if (options_.verbose)
            log("No Calibration Loaded yet.\n");
        state.CalReloadNeeded = true;
    } else if (!sameSerial(cal->serial, identity.serial)) {
        if (options_.verbose)
            log(std::string("Old Serial: ") + cal->serial + ", new Serial:" + identity.serial + "\n");
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
std::optional<FileOutcome> ConversionDriver::findCalFile(const std::string& serial)
{
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
    frontEnd_.reportUnknownSerial(serial,
                                  "Must associate a calibration file with Tidelume #" + serial + " to use Orvantis.");
    return FileOutcome::NotConverted;
}

// Looks the calibration up and loads it into a table of its own, so that
// conversions still running keep theirs. Nothing when it is loaded, else the
// file's outcome. A file that cannot be opened raises CalFileOpenError.
std::optional<FileOutcome> ConversionDriver::reloadCalibration(const std::string& serial)
{
    state.CurrentCalFile.clear();
    if (const std::optional<FileOutcome> failed = findCalFile(serial))
        return failed;
    calibration_ = std::make_shared<CalTable>();
    if (loadCalFile(*calibration_, state.CurrentCalFile.c_str(), options_.ignoreImmersion, log()) != 0) {
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
    staleTemporaries_ = std::make_shared<StaleTemporaries>();
}

FileOutcome ConversionDriver::skip(const std::string& reason)
{
    log(reason + "\n");
    frontEnd_.reportSkipped(reason);
    return FileOutcome::NotConverted;
}

FileOutcome ConversionDriver::notDataFile(const std::string& path, const DataIdentity& identity)
{
    if (!readable(path)) // identification has told why already
        return FileOutcome::NotConverted;
    // Identification logs the name at the start of a line and stops there
    // when it finds no serial number: that line is finished here, unless
    // debug text came between.
    if (identity.serial[0] == '\0' && !options_.verbose)
        log("is not a Tidelume data file\n");
    else
        log(path + " is not a Tidelume data file\n");
    frontEnd_.reportSkipped(path + " is not a Tidelume data file");
    return FileOutcome::NotConverted;
}

// Another instrument's calibration converts only when the front end allows
// it, and never silently: nothing when the file may be converted, else its
// outcome.
std::optional<FileOutcome> ConversionDriver::checkCalibrationSerial(const std::string& path,
                                                                    const DataIdentity& identity)
{
    const ChannelCal* cal = calibration_->channelCal(identity.channel);
    if (!cal || sameSerial(cal->serial, identity.serial))
        return std::nullopt;
    const std::string calFile = state.CurrentCalFile;
    if (cal->serial[0] == '\0') {
        frontEnd_.reportWarning(path + " is from Tidelume #" + identity.serial + " but " + calFile +
                                " names no Tidelume serial number: converted with it unchecked");
        return std::nullopt;
    }
    const ForeignCalibration foreign{path, identity.serial, calFile, cal->serial};
    const std::pair<std::string, std::string> pair{lowerCase(identity.serial), calFile};
    if (foreignAllowed_.contains(pair) || frontEnd_.useForeignCalibration(foreign)) {
        foreignAllowed_.insert(pair);
        frontEnd_.reportWarning(path + " is from Tidelume #" + identity.serial + " but " + calFile + " is for #" +
                                cal->serial + ": converted with it all the same");
        return std::nullopt;
    }
    // A refused choice is never stored, and the next file looks again.
    saveAssociation_ = false;
    state.CalReloadNeeded = true;
    frontEnd_.reportForeignRefused(foreign, refusalText(foreign));
    return FileOutcome::NotConverted;
}

PreparedFile ConversionDriver::prepared(const std::string& path, const DataIdentity& identity) const
{
    PreparedFile file;
    file.path = path;
    file.calFile = state.CurrentCalFile;
    file.saveAssociation = saveAssociation_;
    file.conversion.options = options_;
    file.conversion.identity = identity;
    file.conversion.calibration = calibration_;
    file.conversion.log = log();
    file.conversion.progress = frontEnd_.progressSink();
    file.conversion.command = command;
    file.conversion.staleTemporaries = staleTemporaries_;
    return file;
}

std::variant<FileOutcome, PreparedFile> ConversionDriver::prepare(const std::string& path)
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
    if (emptyFile(path)) { // a cast lost, not a stray file
        frontEnd_.reportFailure(path + " is empty (0 bytes)");
        return FileOutcome::NotConverted;
    }
    if (const std::optional<std::string> refusal = outputs_.claim(path, options_.level, options_.form))
        return skip(*refusal);
    DataIdentity identity;
    if (identifyDataFile(path.c_str(), log(), identity) == 0)
        return notDataFile(path, identity);
    log("Channel ");
    log(std::to_string(identity.channel));
    log("\n");
    if (identity.channel < 0 || identity.channel >= MAX_CHANNELS)
        return skip(path + " has an unknown channel (" + std::to_string(int64_t{identity.channel} + 1) + ")");
    if (!fixedCalFile_) {
        checkReloadNeeded(identity);
        if (state.CalReloadNeeded)
            if (const std::optional<FileOutcome> failed = reloadCalibration(identity.serial))
                return *failed;
    }
    if (const std::optional<FileOutcome> refused = checkCalibrationSerial(path, identity))
        return *refused;
    return prepared(path, identity);
}

FileResult ConversionDriver::convertPrepared(const PreparedFile& file)
{
    return convertFile(file.conversion, file.path, file.calFile);
}

FileOutcome ConversionDriver::finish(const PreparedFile& file, const FileResult& result)
{
    if (result.outcome == ConversionOutcome::Cancelled) // the user stopped it and knows
        return FileOutcome::NotConverted;
    if (result.outcome != ConversionOutcome::Converted) {
        frontEnd_.reportConversionFailed("Error: Could Not Calibrate " + file.path);
        return FileOutcome::NotConverted;
    }
    if (file.saveAssociation)
        frontEnd_.rememberCalFile(file.conversion.identity.serial, file.calFile);
    if (result.unnormalised > 0)
        frontEnd_.reportWarning(file.path + ": " + std::to_string(result.unnormalised) +
                                (result.unnormalised == 1 ? " spectrum" : " spectra") +
                                " with an integration time of 0 or below could not be time-normalised and stay at "
                                "level 2");
    return FileOutcome::Converted;
}

FileOutcome ConversionDriver::convert(const std::string& path)
{
    std::variant<FileOutcome, PreparedFile> prepared = prepare(path);
    if (const FileOutcome* ended = std::get_if<FileOutcome>(&prepared))
        return *ended;
    const PreparedFile& file = std::get<PreparedFile>(prepared);
    return finish(file, convertPrepared(file));
}
