#pragma once
// A batch of conversions as the converter runs it: every data file of the
// inputs through the one driver, one by one or on threads, calibration files
// taken from the per-user store or given, nobody asked anything. The
// converter prints what it says; a library caller keeps it, file by file.

#include "driver/conversion_driver.h"
#include "driver/run_report.h"

#include <string>
#include <string_view>
#include <vector>

// Where a batch's texts go: the log, the errors, and a status line that
// only a terminal shows.
class RunConsole {
public:
    virtual ~RunConsole() = default;
    virtual void log(std::string_view text) = 0;
    virtual void error(const std::string& text) = 0;
    virtual bool showsStatus() const { return false; }
    virtual void status(const std::string& /*text*/) {}
    virtual void clearStatus() {}
};

struct BatchOptions {
    std::string calFile;       // empty: each file's associated calibration
    bool calAnySerial = false; // convert with a calibration file of another instrument too
    ConversionOptions conversion;
    int jobs = 1;        // files converted at the same time
    bool quiet = false;  // no log: only errors
    std::string command; // what NetCDF outputs record as their history
    // When set, the one file's spectra go here instead of to an output.
    MemoryDataset* memoryDataset = nullptr;
    // When set, watches every conversion in place of the console's status line.
    ProgressSink progress;
};

struct BatchResult {
    FileOutcome worst = FileOutcome::Converted; // also when a folder could not be read
    std::vector<std::string> files;             // the data files, folders listed
    RunReport report;
    bool calibrationUnread = false; // the given calibration file could not be read: no file was tried
};

// Converts every data file of the inputs (files and folders).
BatchResult runBatch(const std::vector<std::string>& inputs, const BatchOptions& options, RunConsole& console);
