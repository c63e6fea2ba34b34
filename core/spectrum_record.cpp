#include "core/spectrum_record.h"

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

} // namespace

void encodeRecord(const SpectrumRecord& r, unsigned char out[SPECTRUM_RECORD_SIZE])
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &r, SPECTRUM_RECORD_SIZE);
        std::memset(out + offsetof(SpectrumRecord, reserved), 0, sizeof r.reserved);
        return;
    }
    putLE<int16_t>(out + 0, r.channel);
    putLE<int32_t>(out + 2, r.time);
    std::memset(out + 6, 0, 4);
    putLE<int32_t>(out + 10, r.intTime);
    putLE<float>(out + 14, r.temp);
    putLE<float>(out + 18, r.depth);
    putLE<float>(out + 22, r.volts);
    putLE<int16_t>(out + 26, r.process);
    putLE<int16_t>(out + 28, r.N);
    putLE<float>(out + 30, r.scale);
    putLE<float>(out + 34, r.Do);
    putLE<float>(out + 38, r.Dt);
    putLE<int16_t>(out + 42, r.firstPix);
    putLE<int16_t>(out + 44, r.pixInc);
    putLE<int16_t>(out + 46, r.numPix);
}

SpectrumRecord decodeRecord(const unsigned char in[SPECTRUM_RECORD_SIZE])
{
    SpectrumRecord r;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&r, in, SPECTRUM_RECORD_SIZE);
        return r;
    }
    r.channel = getLE<int16_t>(in + 0);
    r.time = getLE<int32_t>(in + 2);
    std::memcpy(r.reserved, in + 6, 4);
    r.intTime = getLE<int32_t>(in + 10);
    r.temp = getLE<float>(in + 14);
    r.depth = getLE<float>(in + 18);
    r.volts = getLE<float>(in + 22);
    r.process = getLE<int16_t>(in + 26);
    r.N = getLE<int16_t>(in + 28);
    r.scale = getLE<float>(in + 30);
    r.Do = getLE<float>(in + 34);
    r.Dt = getLE<float>(in + 38);
    r.firstPix = getLE<int16_t>(in + 42);
    r.pixInc = getLE<int16_t>(in + 44);
    r.numPix = getLE<int16_t>(in + 46);
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
