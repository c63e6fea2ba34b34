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

// What may stand between two records as the instrument writes them: at most
// a line end, two bytes each CR or LF.
constexpr int RECORD_LINE_END_SIZE = 2;

// Whether a record can carry this processing level: 0 for raw counts, up to 4
// for fully calibrated values.
inline bool possibleProcessLevel(int16_t process)
{
    return process >= 0 && process <= 4;
}

// The length of the record a header starts, values included, when the header
// is one a record can have: the marker, a processing level of 0 to 4, and a
// value count the pixel buffer holds; 0 otherwise.
inline std::size_t declaredRecordLength(const unsigned char header[RECORD_HEADER_SIZE])
{
    if (header[0] != RECORD_MARKER)
        return 0;
    const auto process = loadBigEndian<int16_t>(header + RECORD_PROCESS_OFFSET);
    const auto numPix = loadBigEndian<int16_t>(header + RECORD_NUMPIX_OFFSET);
    if (!possibleProcessLevel(process) || !acceptablePixelCount(numPix))
        return 0;
    return RECORD_HEADER_SIZE + (process == 0 ? 2u : 4u) * static_cast<std::size_t>(numPix);
}
