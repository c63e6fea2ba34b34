#pragma once
// The processing side's interface for callers that convert one file at a
// time and keep no context of their own: the functions and variables below
// work on one default context, as the processing side did before it took
// its context explicitly. Identification, calibration loading and
// conversion here each overwrite what the one before left in it.

#include "calibration/cal_table.h"
#include "conversion/conversion.h"
#include "core/identify.h"
#include "core/log.h"
#include "core/spectrum_record.h"

#include <cstdint>
#include <cstdio>

// processDatFile's results besides 0, 1 and the system's error numbers.
// STOPPED_EARLY: the conversion stopped at a spectrum that could not be
// calibrated, and the output holds the spectra before it.
constexpr int16_t STOPPED_EARLY = -1;
// CANCELLED: the progress watcher stopped it; the previous output is left.
constexpr int16_t CANCELLED = -2;
// SPECTRA_SKIPPED: damaged spectra were passed over; the output holds every
// other spectrum of the file.
constexpr int16_t SPECTRA_SKIPPED = -3;

struct DefaultContext {
    // The log: where the message functions below send their text.
    LogCallback logSink = nullptr; // null: nothing is logged
    int16_t verboseLog = 0;
    ErrorBoxHook errorBox = nullptr; // null: a line on stderr

    // The processing state: the options of the last conversion and what
    // the last identification found.
    int8_t processLevel = 0;
    int transposeOutput = 0;
    int binaryOutput = 0;
    int netcdfOutput = 0;
    char delimiter = ',';
    DataIdentity identity;

    CalTable calTable;

    // A Log that delivers as the message functions below do.
    Log log() const;
};

DefaultContext& defaultContext();

inline LogCallback& logSink = defaultContext().logSink;
inline int16_t& verboseLog = defaultContext().verboseLog;
inline int8_t& processLevel = defaultContext().processLevel;
inline int& transposeOutput = defaultContext().transposeOutput;
inline int& binaryOutput = defaultContext().binaryOutput;
inline int& netcdfOutput = defaultContext().netcdfOutput;
inline char& delimiter = defaultContext().delimiter;
inline char (&dataSerial)[sizeof DataIdentity::serial] = defaultContext().identity.serial;
inline char (&dataChanName)[sizeof DataIdentity::channelName] = defaultContext().identity.channelName;
inline int32_t& chanIndex = defaultContext().identity.channel;
inline CalTable& calTable = defaultContext().calTable;

void logMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Installs the box that logError shows after the text reached the log; null
// restores the default, which writes the text to stderr. Returns the hook
// that was installed before.
ErrorBoxHook setErrorBoxHook(ErrorBoxHook hook);

// Reads the header lines of a data file and leaves the serial number,
// channel name and channel index in the default context. 1 when
// identified, else 0.
int identifyDataFile(const char* path);

// Loads the calibration file into the default table (see CalTable); sets
// the log's verbosity and sink first.
int16_t loadCalFile(const char* fileName, uint8_t debug, uint8_t ignoreImmersion, LogCallback callback);
void freeCals();
bool slotLoaded(int channel);
double pixelWavelength(int channel, int16_t p);
// Calibrates one spectrum with the default table.
int16_t processSpectrum(SpectrumRecord& record, float* pixels, int16_t channel, int8_t level);

// Converts one data file with the options given; `form` is an OutputForm
// value (0 text, 1 binary, 2 NetCDF). 0 when it was converted whole, 1 for
// an invalid level, otherwise processDatFile's result.
int calibrateFile(const char* dataFileName, const char* calFileName, int8_t level, int transpose, int form,
                  char delimiter, int16_t verbose, LogCallback callback);

// Converts one data file with the options of the default context. 0 when
// converted; the system error number when the input cannot be opened or the
// output cannot be written; 1 when the output must not be written, no data
// or no spectrum was found; STOPPED_EARLY; SPECTRA_SKIPPED; CANCELLED.
int16_t processDatFile(const char* dataFileName, const char* calFileName);

// The output writers with the default context's delimiter, calibration
// table and log.
class RowPipeline;
int16_t writeHeader(int channel, const SpectrumRecord& record, std::FILE* output);
int16_t writeOutput(const SpectrumRecord& record, const float* pixels, std::FILE* stream, int binaryForm);
int16_t writeOutput(const SpectrumRecord& record, const float* pixels, RowPipeline& rows);
int16_t writeTransposed(std::FILE* temporary, std::FILE* output);

// A file's result as processDatFile gives it.
int16_t resultNumber(const FileResult& result);
