#pragma once
#include "core/spectrum_record.h"

#include <cstdint>

// A spectrum's value count as the input declares it fits the pixel buffer.
inline bool acceptablePixelCount(int16_t numPix) { return numPix >= 0 && numPix <= MAX_PIXELS; }
