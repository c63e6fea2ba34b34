#pragma once
#include "core/spectrum_record.h"

#include <cstdint>
#include <cstdio>

// One spectrum of a text data file in layout 2 (format 2) or 1 (any other
// format): the readSpectrum of text input.
int16_t readTextSpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream, int format);
