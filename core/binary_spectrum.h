#pragma once
#include "core/spectrum_record.h"

#include <cstdint>
#include <cstdio>

// Reads the next big-endian spectrum record of a binary data file, skipping
// any bytes before its marker: 0; 1 at the end of the file; 2 to 14 for the
// header field that could not be read; 15 and up when values are missing.
int16_t readBinarySpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream);
