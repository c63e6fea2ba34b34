#pragma once
// NetCDF output (NetCDF-4, classic model, CF and ACDD conventions): spectra
// are appended along an unlimited `time` dimension as they are converted,
// gathered in blocks of one chunk, so memory stays flat. The spectra's
// variable is named for what it holds (Ed, Lu, counts, ...; see
// netcdf/variable_names.h) and so are the per-spectrum variables beside it.
//
// Each pixel set of the file gets its own dimension and spectra variable
// (`wavelength` and `Ed` for the first; `wavelength_2` and `Ed_2` ... for
// later ones), all along the same time dimension: a spectrum's values sit
// in the variable of its own set, and the other sets' variables hold fill
// values in its row. `Ed_pixel_set` names each spectrum's set.
//
// A build without the NetCDF library has the same class; it only says that
// NetCDF output is not available.

#include "calibration/cal_table.h"
#include "conversion/netcdf_metadata.h"
#include "core/spectrum_record.h"

#include <memory>
#include <mutex>
#include <string>

class MemoryDataset;

// What the global attributes tell about the conversion.
struct NetcdfProvenance {
    std::string sourceFile;
    std::string calFile;
    std::string serial;
    std::string channelName; // from the data file's channel line
    int channel = 0;         // zero-based index, 'A' + channel is its letter
    int level = 0;
    const CalTable* calibration = nullptr; // the channel's names, units and wavelengths; never null when writing
    std::string command;                   // the command line that made it, for `history`; empty from the window
    NetcdfMetadata metadata;               // time and depth units, the user's own attributes
};

class NetcdfOutput {
public:
    NetcdfOutput();
    ~NetcdfOutput(); // closes a file still open; its contents are then not to be used
    NetcdfOutput(const NetcdfOutput&) = delete;
    NetcdfOutput& operator=(const NetcdfOutput&) = delete;

    // Whether this build writes NetCDF at all.
    static bool available();

    // Creates (or truncates) the file at path and defines its attributes;
    // false after a failure, which error() and systemError() describe.
    bool create(const std::string& path, const NetcdfProvenance& provenance);
    // The same dataset into memory instead of a file.
    bool createInMemory(MemoryDataset& dataset, const NetcdfProvenance& provenance);
    // Adds one spectrum; false after a failure.
    bool append(const SpectrumRecord& record, const float* pixels);
    // Writes what is still gathered and closes the file; false after a failure.
    bool finish();

    // The library's text of the first failure.
    const std::string& error() const { return error_; }
    // The system's error number behind the first failure, EIO when the
    // library gave none.
    int systemError() const { return systemError_; }

private:
    class Writer;
    bool fail(const std::string& text, int systemError);
    template <class Step>
    bool guarded(Step step);

    std::unique_lock<std::mutex> libraryLock() const;

    std::unique_ptr<Writer> writer_;
    bool inMemory_ = false;
    std::string error_;
    int systemError_ = 0;
};
