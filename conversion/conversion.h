#pragma once
// One data file's conversion: everything the processing side needs to know,
// passed explicitly to every step. Conversions of several files may run at
// once, each with its own Conversion; they share the calibration table,
// which nobody changes while it is in use.

#include "calibration/cal_table.h"
#include "conversion/conversion_options.h"
#include "conversion/pending_stale.h"
#include "core/identify.h"
#include "core/log.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class MemoryDataset;

// How far the conversion of the file has come.
struct ConversionProgress {
    int32_t spectra = 0;    // written so far
    int64_t bytesRead = 0;  // of the input
    int64_t inputBytes = 0; // the input's size, 0 when unknown
};

// Given the progress every few spectra; false stops the conversion, which
// then leaves the previous output as it was.
using ProgressSink = std::function<bool(const ConversionProgress& progress)>;

// How many spectra pass between two progress reports.
inline constexpr int32_t PROGRESS_INTERVAL = 64;

struct Conversion {
    ConversionOptions options;
    DataIdentity identity; // of the file being converted
    std::shared_ptr<const CalTable> calibration = std::make_shared<const CalTable>();
    Log log;
    ProgressSink progress; // empty when nobody watches
    std::string command;   // the command line, for the NetCDF history; empty from the window
    // Where the output goes; empty for beside the input, named by level and
    // form. The viewer's conversions of recordings write to a folder of
    // their own, leaving the input's folder as it was.
    std::string outputPath;
    // The temporaries left behind in the run's output folders: shared by the
    // conversions of one run, so that each folder is listed once.
    std::shared_ptr<StaleTemporaries> staleTemporaries = std::make_shared<StaleTemporaries>();
    // When set, the spectra go into this dataset, laid out as a NetCDF
    // output, and no file is written: a library caller's conversion.
    MemoryDataset* memoryDataset = nullptr;

    const CalTable& calTable() const { return *calibration; }
};

// How the conversion of one file ended.
enum class ConversionOutcome {
    Converted,      // whole
    SpectraSkipped, // damaged spectra were passed over; the output holds every other one
    StoppedEarly,   // at a spectrum that could not be calibrated; the output holds the spectra before it
    Cancelled,      // by the progress sink; the previous output is left as it was
    NotWritten,     // the output must not be written, or there was nothing to write
    SystemFailure,  // the input could not be read or the output not written: systemError says why
    InvalidLevel,
};

struct FileResult {
    ConversionOutcome outcome = ConversionOutcome::Converted;
    int systemError = 0; // the system's error number of a SystemFailure
    int32_t spectra = 0; // in the output put in place
    int32_t unnormalised = 0; // of those, left at level 2 for want of a valid integration time

    // Whether the output was put in place.
    bool written() const
    {
        return outcome == ConversionOutcome::Converted || outcome == ConversionOutcome::SpectraSkipped ||
               outcome == ConversionOutcome::StoppedEarly;
    }
};
