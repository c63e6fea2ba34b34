#pragma once
// Progress of the file being converted, for a window that wants to stay
// alive and offer to stop during a long conversion.

#include <cstdint>

// Given the number of spectra written so far, every few spectra; false stops
// the conversion, which then leaves the previous output as it was.
using ProgressCallback = bool (*)(int32_t spectraWritten);

// Null (the default) when nobody watches.
extern ProgressCallback progressSink;

// How many spectra pass between two reports.
inline constexpr int32_t PROGRESS_INTERVAL = 64;
