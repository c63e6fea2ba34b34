#pragma once
// Orvantis as a library: what a program needs to tell, read, calibrate and
// convert a file, with the converter's own rules and words and no state of
// its own between calls. Safe to call from several threads at once, each
// call with its own files. Failures raise orvantis::Error carrying the
// converter's messages.

#include "conversion/memory_dataset.h"
#include "driver/batch_run.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orvantis {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The per-user store cannot be used (damaged, busy, read-only, ...).
class StoreUnusable : public Error {
public:
    using Error::Error;
};

// What a file holds, told by its content.
enum class Content { Recording, NetcdfOutput, Output, Unknown };
Content contentOf(const std::string& path);

struct ReadOptions {
    std::string calFile; // empty: the calibration associated with the recording's serial
    int level = 4;
    bool ignoreImmersion = false;
    bool calAnySerial = false; // use a calibration file of another instrument all the same
};

// The recording calibrated in memory through the converter's conversion,
// laid out as its NetCDF output would be; nothing is written. The
// converter's warnings about it go to `warnings` when given. Of the
// spectra's variables only `rows` are kept; the conversion ends once they
// are read.
MemoryDataset readRecording(const std::string& path, const ReadOptions& options,
                            std::vector<std::string>* warnings = nullptr, SpectraRows rows = {});

// An output of the converter (delimited text, binary records) read back
// into the same layout, as far as it tells: without its calibration, the
// values stand along `pixel`, named by their level, with the wavelengths a
// text output states beside them.
MemoryDataset readOutput(const std::string& path);

// The files of the recording's set that exist, channel A first; the
// recording among them.
std::vector<std::string> channelSet(const std::string& path);

// One file of a batch, as the converter's summary tells it.
struct ConvertedFile {
    std::string path;
    std::string outcome; // "converted", "failed", "skipped" or "not reached"
    std::string output;  // where the output went, when converted
    int32_t spectra = 0;
    std::vector<std::string> messages; // the converter's error and warning lines, in order
};

struct BatchReport {
    std::vector<ConvertedFile> files; // the folders that could not be read last
    std::string summary;              // the converter's summary
};

// The converter's batch: files and folders, as the converter converts them.
// A given calibration file that cannot be read raises Error.
BatchReport convert(const std::vector<std::string>& inputs, const BatchOptions& options);

// The per-user associations of serial numbers and calibration files; a
// store that cannot be used raises Error.
// Stores the calibration file (made absolute) for the serial; returns what was stored.
std::string associate(const std::string& serial, const std::string& calFile);
bool forget(const std::string& serial);
std::vector<std::pair<std::string, std::string>> associations();

} // namespace orvantis
