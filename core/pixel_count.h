#pragma once
#include "core/spectrum_record.h"

#include <algorithm>
#include <cstdint>

// A spectrum's value count as the input declares it fits the pixel buffer.
inline bool acceptablePixelCount(int16_t numPix)
{
    return numPix >= 0 && numPix <= MAX_PIXELS;
}

// How many of the record's values the pixel buffer holds.
inline int storedPixelCount(const SpectrumRecord& record)
{
    return std::clamp<int>(record.numPix, 0, MAX_PIXELS);
}
