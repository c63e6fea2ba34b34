#pragma once
// Big-endian values in byte buffers, as the instrument's binary records hold
// them. Written with shifts, which compilers turn into one byte swap.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

inline uint16_t loadBigEndian16(const unsigned char* bytes)
{
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

inline uint32_t loadBigEndian32(const unsigned char* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | uint32_t{bytes[3]};
}

// The value of type T (2 or 4 bytes: integers or float) stored at bytes.
template <typename T>
T loadBigEndian(const unsigned char* bytes)
{
    static_assert(sizeof(T) == 2 || sizeof(T) == 4);
    if constexpr (sizeof(T) == 2)
        return std::bit_cast<T>(loadBigEndian16(bytes));
    else
        return std::bit_cast<T>(loadBigEndian32(bytes));
}

// Turns count items of itemSize bytes (2 or 4; others stay) into host order.
inline void bigEndianToHost(unsigned char* bytes, std::size_t itemSize, std::size_t count)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (itemSize == 2) {
            for (std::size_t i = 0; i < count; ++i, bytes += 2) {
                const uint16_t value = loadBigEndian16(bytes);
                std::memcpy(bytes, &value, 2);
            }
        } else if (itemSize == 4) {
            for (std::size_t i = 0; i < count; ++i, bytes += 4) {
                const uint32_t value = loadBigEndian32(bytes);
                std::memcpy(bytes, &value, 4);
            }
        }
    }
}
