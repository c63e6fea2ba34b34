#pragma once
#include "core/log.h"

#include <cstdint>

// processDatFile's result when the conversion stopped at an unreadable or
// unusable spectrum: the output holds the spectra before it.
constexpr int16_t STOPPED_EARLY = -1;
// processDatFile's result when damaged spectra were passed over: the output
// holds every other spectrum of the file.
constexpr int16_t SPECTRA_SKIPPED = -3;
// processDatFile's result when the progress watcher stopped the conversion:
// the previous output is left as it was.
constexpr int16_t CANCELLED = -2;

// Converts one data file with the options given; `form` is an OutputForm
// value (0 text, 1 binary, 2 NetCDF). 0 when it was converted whole, 1 for
// an invalid level, otherwise processDatFile's result.
int calibrateFile(const char* dataFileName, const char* calFileName, int8_t level, int transpose, int form,
                  char delimiter, int16_t verbose, LogCallback callback);

// Converts one data file with the options of the processing state. 0 when
// converted; the system error number when the input cannot be opened or the
// output cannot be written; 1 when the output must not be written, no data
// or no spectrum was found; STOPPED_EARLY; SPECTRA_SKIPPED; CANCELLED. Only a file converted at least in
// part replaces its previous output.
int16_t processDatFile(const char* dataFileName, const char* calFileName);
