#pragma once
#include "core/spectrum_record.h"

#include <cstdint>
#include <cstdio>

// One big-endian spectrum record of a binary data file: the readSpectrum of
// binary input.
int16_t readBinarySpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream);
