#pragma once
// The per-file conversion of the window and of the converter alike: report
// the file, identify it, make sure the calibration of its instrument is
// loaded (the file associated with its serial number, or one the user picks,
// remembered after a successful conversion) and convert it. What the two
// front ends do their own way goes through DriverFrontEnd.

#include "core/log.h"
#include "driver/run_outputs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How a file ended; also the converter's exit status, so the values are
// ordered to let the worst outcome of a run win.
enum class FileOutcome { Converted = 0, NotConverted = 1, CalibrationUnreadable = 2 };

// The options of one file's conversion.
struct ConversionOptions {
    int8_t level = 4;
    int transpose = 0;
    int binary = 0;
    char delimiter = ',';
    bool verbose = false;
    bool ignoreImmersion = false;
    bool netcdf = false; // NetCDF output instead of the text or binary form
};

class DriverFrontEnd {
public:
    virtual ~DriverFrontEnd() = default;

    // The options for the next file, read anew for every file.
    virtual ConversionOptions options() = 0;
    // Where the driver's own lines and the processing side's text go.
    virtual LogCallback logSink() = 0;
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
    // The file was passed over; the text, already in the log, says why.
    virtual void reportSkipped(const std::string& reason) = 0;
};

// What the driver keeps from one file to the next.
struct DriverState {
    std::string CurrentCalFile;    // loaded, or being looked up or chosen
    int32_t CurrentCalFileAge = 0; // fileAge of CurrentCalFile right after it was loaded
    bool CurrentIgnoreImmersion = false;
    bool CalReloadNeeded = false; // look the calibration up and load it before the next file
};

class ConversionDriver {
public:
    explicit ConversionDriver(DriverFrontEnd& frontEnd) : frontEnd_(frontEnd) {}

    // Uses this calibration file for every file instead of the associated
    // ones; false, after the failure is reported, when it does not load.
    bool useFixedCalFile(const std::string& calFile);
    // A run of these inputs begins: no calibration file has been chosen in
    // it yet, and no output is claimed.
    void startRun(const std::vector<std::string>& inputs);

    FileOutcome convert(const std::string& path);
    // The two halves of convert. prepare reports and identifies the file and
    // loads its calibration: the file's outcome when it ends there, nothing
    // when calibrate is to follow.
    std::optional<FileOutcome> prepare(const std::string& path);
    FileOutcome calibrate(const std::string& path);

    DriverState state;

private:
    void log(const std::string& text);
    FileOutcome skip(const std::string& reason);
    void checkReloadNeeded();
    std::optional<FileOutcome> findCalFile();
    std::optional<FileOutcome> reloadCalibration();

    DriverFrontEnd& frontEnd_;
    ConversionOptions options_;
    bool fixedCalFile_ = false;
    bool saveAssociation_ = false; // once set, every converted file of the run stores the choice
    RunOutputs outputs_;
};
