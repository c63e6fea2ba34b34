#pragma once
// Binary records built from fuzz bytes, back to back or each followed by a
// line end, with one damage done to them: bytes removed, put in, or
// overwritten. Every byte of the records but their level and value count is
// 0x09 or more (line ends too), so a header that is not a record's own can
// only be valid where the damage changed what lies 18 and 42 bytes after a
// 0x0F: a record that is not one of the input's can only be read across the
// damage.

#include "core/spectrum_record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DamagedBinary {
    std::string records;             // the records, whole, each maybe followed by a line end
    std::vector<std::size_t> starts; // where each record starts in them
    std::vector<std::size_t> ends;   // where each record ends in them (its last byte and one)
    std::string damaged;             // the records damaged
    std::size_t at = 0;              // where the damage starts, in both
    std::size_t removed = 0;         // bytes of the records taken out there
    std::size_t inserted = 0;        // bytes of the damaged records put in instead

    // Whether record i of the input is untouched by the damage.
    bool whole(std::size_t i) const;
    // Where record i's marker is in the damaged records; false when it is gone.
    bool markerIn(std::size_t i, std::size_t& offset) const;
    // Whether the bytes first to last (both included) of the damaged records
    // touch the damage.
    bool touchesDamage(std::size_t first, std::size_t last) const;
};

DamagedBinary buildDamagedBinary(const uint8_t* data, std::size_t size);

// The length of the record that was read into record, values included.
std::size_t recordLength(const SpectrumRecord& record);

// Whether record and values are exactly what the big-endian record at offset
// of bytes holds.
bool readFrom(const std::string& bytes, std::size_t offset, const SpectrumRecord& record, const float* values);

// Whether what follows a record that ends at offset of bytes, past at most a
// line end, is what the layout expects: the end of the bytes, or a marker and
// a header a record can have (level 0 to 4, 0 to 2048 values), or one the end
// cuts when cutHeaders.
bool layoutGoesOn(const std::string& bytes, std::size_t offset, bool cutHeaders);
