#pragma once
// The layout of a big-endian record of a binary data file: the marker, the
// header fields up to the value count, and the values after them.

#include "core/big_endian.h"
#include "core/pixel_count.h"

#include <cstddef>
#include <cstdint>

constexpr int RECORD_MARKER = 0x0F;
// The two marker bytes and the header fields up to numPix.
constexpr std::size_t RECORD_HEADER_SIZE = 44;
constexpr std::size_t RECORD_MARKER_SIZE = 2;
constexpr std::size_t RECORD_PROCESS_OFFSET = 18;
constexpr std::size_t RECORD_NUMPIX_OFFSET = 42;

// The length of the record a header starts, values included; 0 when the
// header is no record's: no marker, or a value count the pixel buffer cannot
// hold (which no record that converts has).
inline std::size_t declaredRecordLength(const unsigned char header[RECORD_HEADER_SIZE])
{
    if (header[0] != RECORD_MARKER)
        return 0;
    const auto numPix = loadBigEndian<int16_t>(header + RECORD_NUMPIX_OFFSET);
    if (!acceptablePixelCount(numPix))
        return 0;
    const std::size_t valueSize = loadBigEndian<int16_t>(header + RECORD_PROCESS_OFFSET) == 0 ? 2 : 4;
    return RECORD_HEADER_SIZE + valueSize * static_cast<std::size_t>(numPix);
}
