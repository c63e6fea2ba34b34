#pragma once
// The per-file conversion of the window and of the converter alike: report
// the file, identify it, make sure the calibration of its instrument is
// loaded (the file associated with its serial number, or one the user picks,
// remembered after a successful conversion) and convert it. What the two
// front ends do their own way goes through DriverFrontEnd.
//
// A file's conversion has three steps: prepare (in the order of the files,
// with the front end), convert (anywhere, on any thread: it only uses what
// prepare gave it) and finish (in the order of the files again).

#include "conversion/conversion.h"
#include "driver/run_outputs.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// How a file ended; also the converter's exit status, so the values are
// ordered to let the worst outcome of a run win.
enum class FileOutcome { Converted = 0, NotConverted = 1, CalibrationUnreadable = 2 };

// A calibration file that names another instrument than the data file.
struct ForeignCalibration {
    std::string dataFile;
    std::string dataSerial;
    std::string calFile;
    std::string calSerial;
};

class DriverFrontEnd {
public:
    virtual ~DriverFrontEnd() = default;

    // The options for the next file, read anew for every file.
    virtual ConversionOptions options() = 0;
    // Where the driver's own lines and the processing side's text go.
    virtual Log::Sink logSink() = 0;
    // Shows the processing side's error texts after the log has them; empty
    // for a line on stderr.
    virtual Log::Sink errorBox() { return {}; }
    // Watches a conversion's progress; empty when nobody watches.
    virtual ProgressSink progressSink() { return {}; }
    // The calibration file stored for the serial, empty when there is none;
    // nothing when the store cannot be used and the file fails for it.
    virtual std::optional<std::string> associatedCalFile(const std::string& serial) = 0;
    // Stores the calibration file chosen for the serial.
    virtual void rememberCalFile(const std::string& serial, const std::string& calFile) = 0;
    // No calibration file exists for the serial: the one the user picks, or
    // nothing.
    virtual std::optional<std::string> chooseCalFile(const std::string& serial) = 0;
    // The file was not converted; the text says so.
    virtual void reportFailure(const std::string& text) = 0;
    // The file's conversion failed, after it told why; the text says which
    // file.
    virtual void reportConversionFailed(const std::string& text) { reportFailure(text); }
    // The file was not converted for want of a calibration file for its
    // instrument; the text says so.
    virtual void reportUnknownSerial(const std::string& /*serial*/, const std::string& text) { reportFailure(text); }
    // The file was passed over; the text, already in the log, says why.
    virtual void reportSkipped(const std::string& reason) = 0;
    // The file is converted, but with something the user must know; the
    // text says what.
    virtual void reportWarning(const std::string& text)
    {
        if (const Log::Sink sink = logSink())
            sink((text + "\n").c_str());
    }
    // Whether to convert with another instrument's calibration; asked once
    // for each data serial and calibration file in the driver's life.
    virtual bool useForeignCalibration(const ForeignCalibration& /*foreign*/) { return false; }
    // The file was not converted with another instrument's calibration; the
    // text says so.
    virtual void reportForeignRefused(const ForeignCalibration& /*foreign*/, const std::string& text)
    {
        reportFailure(text);
    }
};

// What the driver keeps from one file to the next.
struct DriverState {
    std::string CurrentCalFile;    // loaded, or being looked up or chosen
    int32_t CurrentCalFileAge = 0; // fileAge of CurrentCalFile right after it was loaded
    bool CurrentIgnoreImmersion = false;
    bool CalReloadNeeded = false; // look the calibration up and load it before the next file
};

// A file ready to be converted, with everything its conversion needs.
struct PreparedFile {
    std::string path;
    std::string calFile;
    bool saveAssociation = false; // store calFile for the file's serial once converted
    Conversion conversion;
};

class ConversionDriver {
public:
    explicit ConversionDriver(DriverFrontEnd& frontEnd) : frontEnd_(frontEnd) {}

    // Uses this calibration file for every file instead of the associated
    // ones; false, after the failure is reported, when it does not load.
    bool useFixedCalFile(const std::string& calFile);
    // A run of these inputs begins: no calibration file has been chosen in
    // it yet, no output is claimed and no output folder has been looked at.
    void startRun(const std::vector<std::string>& inputs);

    // All three steps.
    FileOutcome convert(const std::string& path);
    // Reports and identifies the file and loads its calibration: the file's
    // outcome when it ends there, else the file ready to convert. A
    // calibration file that cannot be opened raises CalFileOpenError.
    std::variant<FileOutcome, PreparedFile> prepare(const std::string& path);
    // Converts a prepared file; safe to run on several threads at once.
    static FileResult convertPrepared(const PreparedFile& file);
    // Reports the result and stores the association when asked to.
    FileOutcome finish(const PreparedFile& file, const FileResult& result);

    // The calibration that prepared files use; loaded once, then only read.
    const CalTable& calibration() const { return *calibration_; }
    // Lets go of the calibration; the next file loads it again.
    void freeCals() { calibration_ = std::make_shared<CalTable>(); }

    DriverState state;
    std::string command; // the command line the outputs record, if any

private:
    Log log() const;
    void log(const std::string& text);
    FileOutcome skip(const std::string& reason);
    FileOutcome notDataFile(const std::string& path, const DataIdentity& identity);
    void checkReloadNeeded(const DataIdentity& identity);
    std::optional<FileOutcome> findCalFile(const std::string& serial);
    std::optional<FileOutcome> reloadCalibration(const std::string& serial);
    PreparedFile prepared(const std::string& path, const DataIdentity& identity) const;
    std::optional<FileOutcome> checkCalibrationSerial(const std::string& path, const DataIdentity& identity);

    DriverFrontEnd& frontEnd_;
    ConversionOptions options_;
    std::shared_ptr<CalTable> calibration_ = std::make_shared<CalTable>();
    bool fixedCalFile_ = false;
    bool saveAssociation_ = false; // once set, every converted file of the run stores the choice
    // Data serial (lower case) and calibration file pairs allowed to go together.
    std::set<std::pair<std::string, std::string>> foreignAllowed_;
    RunOutputs outputs_;
    std::shared_ptr<StaleTemporaries> staleTemporaries_ = std::make_shared<StaleTemporaries>(); // of the run
};
