#include "readback/output_record_fields.h"

#include "readback/output_lines.h"

#include <cstdint>
#include <limits>

const char* const normalFieldLabels[RECORD_FIELDS] = {
    "Time", "temp", "volts", "depth", "process", "N", "scale", "Do", "Dt", "IntTime", "firstPix", "pixInc", "numPix"};
const char* const transposedFieldLabels[RECORD_FIELDS] = {
    "Time", "temp", "volts", "depth", "process", "N", "Scale", "Do", "Dt", "intTime", "firstPix", "pixInc", "numPix"};

namespace {

// The packed record's fields cannot be bound to references: each is set
// through a local of its type.
template <typename T>
bool setInteger(std::string_view cell, auto&& assign)
{
    long value = 0;
    if (!parseLong(cell, value) || value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        return false;
    assign(static_cast<T>(value));
    return true;
}

bool setReal(std::string_view cell, auto&& assign)
{
    float value = 0;
    if (!parseFloat(cell, value))
        return false;
    assign(value);
    return true;
}

} // namespace

bool setRecordField(SpectrumRecord& r, int field, std::string_view cell)
{
    switch (field) {
    case 0: return setInteger<int32_t>(cell, [&](int32_t v) { r.time = v; });
    case 1: return setReal(cell, [&](float v) { r.temp = v; });
    case 2: return setReal(cell, [&](float v) { r.volts = v; });
    case 3: return setReal(cell, [&](float v) { r.depth = v; });
    case 4: return setInteger<int16_t>(cell, [&](int16_t v) { r.process = v; });
    case 5: return setInteger<int16_t>(cell, [&](int16_t v) { r.N = v; });
    case 6: return setReal(cell, [&](float v) { r.scale = v; });
    case 7: return setReal(cell, [&](float v) { r.Do = v; });
    case 8: return setReal(cell, [&](float v) { r.Dt = v; });
    case 9: return setInteger<int32_t>(cell, [&](int32_t v) { r.intTime = v; });
    case 10: return setInteger<int16_t>(cell, [&](int16_t v) { r.firstPix = v; });
    case 11: return setInteger<int16_t>(cell, [&](int16_t v) { r.pixInc = v; });
    default: return setInteger<int16_t>(cell, [&](int16_t v) { r.numPix = v; });
    }
}
