#pragma once
#include "core/log.h"

#include <cstdint>

// Converts one data file with the options given; 1 for an invalid level,
// otherwise 0 (failures are reported through the log).
int calibrateFile(const char* dataFileName, const char* calFileName, int8_t level, int transpose, int binary,
                  char delimiter, int16_t verbose, LogCallback callback);

// Converts one data file with the options of the processing state.
int16_t processDatFile(const char* dataFileName, const char* calFileName);
