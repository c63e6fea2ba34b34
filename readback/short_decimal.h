#pragma once
// Reading the short decimals that fill a text output's value cells, in a
// header so that a loop over many cells has the scan inlined into it.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

bool parseFloat(std::string_view cell, float& value);

namespace short_decimal {

inline bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

// Adds the digits from p on to `digits`; returns where they end.
inline const char* addDigits(const char* p, const char* const end, std::uint64_t& digits)
{
    for (; p != end && isDigit(*p); ++p)
        digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    return p;
}

// The same for a run of digits of any length up to eight, such as the
// decimals of a value, read at once: a loop's exit would be mispredicted
// as often as the lengths vary.
inline const char* addDigitRun(const char* p, const char* const end, std::uint64_t& digits)
{
    static constexpr std::uint64_t TENS[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    std::uint64_t bytes = 0; // the first character in the lowest byte, zeros past the end
    if (std::endian::native == std::endian::little && end - p >= 8)
        std::memcpy(&bytes, p, sizeof bytes);
    else
        for (int i = 0; i < 8 && p + i != end; ++i)
            bytes |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    // Each byte less '0', exact up to the first non-digit, whose byte then
    // has its high bit set either by the subtraction or by adding 0x76.
    const std::uint64_t less = bytes - 0x3030303030303030U;
    const std::uint64_t nonDigits = (less | (less + 0x7676767676767676U)) & 0x8080808080808080U;
    const int count = nonDigits == 0 ? 8 : std::countr_zero(nonDigits) / 8;
    if (count == 0)
        return p;
    // The digits moved to the highest bytes behind zeros, then joined by
    // pairs, fours and eights.
    std::uint64_t v = less << (64 - 8 * count);
    v = (v & 0x0F0F0F0F0F0F0F0FU) * 2561 >> 8;
    v = (v & 0x00FF00FF00FF00FFU) * 6553601 >> 16;
    v = (v & 0x0000FFFF0000FFFFU) * 42949672960001U >> 32;
    digits = digits * TENS[count] + v;
    return count == 8 ? addDigits(p + 8, end, digits) : p + count;
}

// Most cells are short decimals such as 0.07274 or 9.368e-05. When their
// digits make a whole number below 2^24 and the power of ten they are
// scaled by is at most 10^10 either way, that number and that power are
// exact floats, and their product, or their quotient, is the correctly
// rounded float of the decimal: the value from_chars gives, found several
// times quicker. The quotient is taken as a product in double, the digits
// times the nearest double to the tenth power, rounded to float: for every
// such number and power that is the same float (a test checks them all),
// and a division would cost more than the rest of the scan. Reads such a
// number from p on and returns where it stops, or null when the text there
// is anything else, left to from_chars.
inline const char* scanShortDecimal(const char* p, const char* const end, float& value)
{
    constexpr std::uint64_t EXACT_LIMIT = 1U << 24;
    static constexpr float TENS[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F, 1e8F, 1e9F, 1e10F};
    static constexpr double TENTHS[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 1e-9, 1e-10};
    constexpr int MOST_TENS = 10;
    constexpr int MOST_EXPONENT_DIGITS = 3;
    constexpr std::ptrdiff_t LONGEST = 19; // digits and point: more digits could overflow 64 bits
    const bool negative = p != end && *p == '-';
    p += negative ? 1 : 0;
    std::uint64_t digits = 0;
    const char* const whole = p;
    p = addDigits(p, end, digits);
    if (p == whole)
        return nullptr;
    int decimals = 0;
    if (p != end && *p == '.') {
        const char* const point = ++p;
        p = addDigitRun(p, end, digits);
        decimals = static_cast<int>(p - point);
        if (decimals == 0)
            return nullptr;
    }
    if (p - whole > LONGEST || digits >= EXACT_LIMIT)
        return nullptr;
    int exponent = 0;
    if (p != end && (*p | 0x20) == 'e') { // e or E
        ++p;
        const bool negativeExponent = p != end && *p == '-';
        p += p != end && (*p == '-' || *p == '+') ? 1 : 0;
        const char* const first = p;
        for (; p != end && isDigit(*p) && p - first < MOST_EXPONENT_DIGITS; ++p)
            exponent = exponent * 10 + (*p - '0');
        if (p == first)
            return nullptr;
        exponent = negativeExponent ? -exponent : exponent;
    }
    const int scale = exponent - decimals;
    if (scale < -MOST_TENS || scale > MOST_TENS)
        return nullptr;
    const auto exact = static_cast<float>(digits);
    const float magnitude =
        scale >= 0 ? exact * TENS[scale] : static_cast<float>(static_cast<double>(digits) * TENTHS[-scale]);
    value = negative ? -magnitude : magnitude;
    return p;
}

} // namespace short_decimal

using short_decimal::scanShortDecimal;

// The float of the cell that `text` starts with, up to its first delimiter
// or its end, in one pass over the common short decimals; `length` is the
// cell's, parsed or not.
inline bool parseFloatCell(std::string_view text, char delimiter, float& value, std::size_t& length)
{
    const char* const end = text.data() + text.size();
    const char* const stop = scanShortDecimal(text.data(), end, value);
    if (stop != nullptr && (stop == end || *stop == delimiter)) {
        length = static_cast<std::size_t>(stop - text.data());
        return true;
    }
    length = std::min(text.find(delimiter), text.size());
    float other = 0; // apart, so that `value` can stay in a register in a loop around this
    const bool parsed = parseFloat(text.substr(0, length), other);
    value = other;
    return parsed;
}
