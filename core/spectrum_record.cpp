#include "core/spectrum_record.h"

#include "core/record_fields.h"

#include <algorithm>
#include <bit>
#include <type_traits>
#include <cstring>

namespace {

// Byte by byte, so that a big-endian machine writes the same files.
template <typename T>
void putLE(unsigned char* out, T value)
{
    using U = std::make_unsigned_t<std::conditional_t<std::is_floating_point_v<T>, int32_t, T>>;
    U bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (std::size_t i = 0; i < sizeof bits; ++i)
        out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

template <typename T>
T getLE(const unsigned char* in)
{
    using U = std::make_unsigned_t<std::conditional_t<std::is_floating_point_v<T>, int32_t, T>>;
    U bits = 0;
    for (std::size_t i = 0; i < sizeof bits; ++i)
        bits = static_cast<U>(bits | static_cast<U>(static_cast<U>(in[i]) << (8 * i)));
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Each field's bytes go between the struct and the file at the same offset,
// least significant first on any host; no value passes through a conversion
// that could change its bits.
void copyLE(const unsigned char* from, unsigned char* to, std::size_t offset, std::size_t size)
{
    if constexpr (std::endian::native == std::endian::little)
        std::memcpy(to + offset, from + offset, size);
    else
        std::reverse_copy(from + offset, from + offset + size, to + offset);
}

void copyFields(const unsigned char* from, unsigned char* to)
{
    copyLE(from, to, offsetof(SpectrumRecord, channel), sizeof(SpectrumRecord::channel));
    for (const RecordField& field : recordFields())
        copyLE(from, to, field.offset, binarySize(field.type));
}

} // namespace

void encodeRecord(const SpectrumRecord& r, unsigned char out[SPECTRUM_RECORD_SIZE])
{
    copyFields(reinterpret_cast<const unsigned char*>(&r), out);
    std::memset(out + offsetof(SpectrumRecord, reserved), 0, sizeof r.reserved);
}

SpectrumRecord decodeRecord(const unsigned char in[SPECTRUM_RECORD_SIZE])
{
    SpectrumRecord r;
    copyFields(in, reinterpret_cast<unsigned char*>(&r));
    std::memcpy(r.reserved, in + offsetof(SpectrumRecord, reserved), sizeof r.reserved);
    return r;
}

void encodeFloatsLE(const float* values, std::size_t count, unsigned char* out)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (count > 0) // the buffers of an empty spectrum may be null
            std::memcpy(out, values, count * sizeof(float));
        return;
    }
    for (std::size_t i = 0; i < count; ++i)
        putLE<float>(out + 4 * i, values[i]);
}

void decodeFloatsLE(const unsigned char* in, std::size_t count, float* values)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (count > 0)
            std::memcpy(values, in, count * sizeof(float));
        return;
    }
    for (std::size_t i = 0; i < count; ++i)
        values[i] = getLE<float>(in + 4 * i);
}
