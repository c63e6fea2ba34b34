#pragma once
// Binary records built from fuzz bytes, back to back, with one damage done to
// them: bytes removed, put in, or overwritten. Every byte of the records but
// their value counts is 0x09 or more, so a header that is not a record's own
// can only be valid where the damage changed what lies 42 bytes after a 0x0F:
// a record that is not one of the input's can only be read across the damage.

#include "core/spectrum_record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DamagedBinary {
    std::string records;             // the records, whole
    std::vector<std::size_t> starts; // where each record starts in them
    std::string damaged;             // the records damaged
    std::size_t at = 0;              // where the damage starts, in both
    std::size_t removed = 0;         // bytes of the records taken out there
    std::size_t inserted = 0;        // bytes of the damaged records put in instead

    // Where record i of the input ends (its last byte and one).
    std::size_t endOf(std::size_t i) const;
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
