#include "core/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

// The fast paths scale the value by an exactly representable power of ten in
// one double operation, whose result is off by at most half a unit in its
// last place; when that cannot move the result across a halfway point the
// rounding is the same as that of the exact decimal value. Everything else
// (values near a halfway point, very large or very small values) goes
// through std::to_chars, which is exact like the C library.

namespace {

constexpr double POW10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int MAX_EXACT_POWER = 22;
// Scaled values stay below this, so that they and their integer parts are
// exact doubles and fit 64-bit integers with room.
constexpr double MAX_SCALED = 1e15;
constexpr int MAX_FAST_PRECISION = 15;

// The nearest integer to a * 10^shift, when the double arithmetic decides it
// beyond doubt; false near a halfway point or out of the exact range.
bool roundScaled(double a, int shift, double& scaled, uint64_t& rounded)
{
    if (shift > MAX_EXACT_POWER || shift < -MAX_EXACT_POWER)
        return false;
    scaled = shift >= 0 ? a * POW10[shift] : a / POW10[-shift];
    if (!(scaled < MAX_SCALED))
        return false;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    // The error of scaled is at most scaled * 2^-53; keep well clear of it.
    if (std::fabs(fraction - 0.5) <= scaled * 0x1p-48 + 0x1p-60)
        return false;
    rounded = static_cast<uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    return true;
}

// Writes exactly `count` decimal digits of n (leading zeros included).
char* putDigits(char* out, uint64_t n, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    return out + count;
}

int digitCount(uint64_t n)
{
    int count = 1;
    while (n >= 10) {
        n /= 10;
        ++count;
    }
    return count;
}

char* putUnsigned(char* out, uint64_t n)
{
    return putDigits(out, n, digitCount(n));
}

char* putNonFinite(char* out, double value)
{
    if (std::signbit(value))
        *out++ = '-';
    const char* text = std::isnan(value) ? "nan" : "inf";
    std::memcpy(out, text, 3);
    return out + 3;
}

// Drops trailing zeros of the `count` digits at `digits`; returns how many remain.
int withoutTrailingZeros(const char* digits, int count)
{
    while (count > 0 && digits[count - 1] == '0')
        --count;
    return count;
}

// "%.<precision>g" from the digits of the rounded value and its decimal exponent.
char* putGeneral(char* out, uint64_t rounded, int precision, int exponent)
{
    char digits[MAX_FAST_PRECISION];
    putDigits(digits, rounded, precision);
    if (exponent >= -4 && exponent < precision) {
        if (exponent >= 0) {
            std::memcpy(out, digits, static_cast<std::size_t>(exponent + 1));
            out += exponent + 1;
            const int fraction = withoutTrailingZeros(digits + exponent + 1, precision - exponent - 1);
            if (fraction > 0) {
                *out++ = '.';
                std::memcpy(out, digits + exponent + 1, static_cast<std::size_t>(fraction));
                out += fraction;
            }
            return out;
        }
        *out++ = '0';
        *out++ = '.';
        for (int i = exponent + 1; i < 0; ++i)
            *out++ = '0';
        const int kept = withoutTrailingZeros(digits, precision);
        std::memcpy(out, digits, static_cast<std::size_t>(kept));
        return out + kept;
    }
    *out++ = digits[0];
    const int fraction = withoutTrailingZeros(digits + 1, precision - 1);
    if (fraction > 0) {
        *out++ = '.';
        std::memcpy(out, digits + 1, static_cast<std::size_t>(fraction));
        out += fraction;
    }
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
    return putDigits(out, magnitude, magnitude < 100 ? 2 : 3);
}

// Decimal exponent of a (positive, finite) from its binary one; may be one low.
int decimalExponentEstimate(double a)
{
    int binary = 0;
    std::frexp(a, &binary);
    return ((binary - 1) * 1233) >> 12; // 1233 / 4096 is just below log10(2)
}

bool fastGeneral(char*& out, double a, int precision)
{
    if (precision > MAX_FAST_PRECISION)
        return false;
    const double lowest = POW10[precision - 1];
    const double limit = POW10[precision];
    int exponent = decimalExponentEstimate(a);
    double scaled = 0;
    uint64_t rounded = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!roundScaled(a, precision - 1 - exponent, scaled, rounded))
            return false;
        if (scaled >= limit)
            ++exponent;
        else if (scaled < lowest)
            --exponent;
        else
            break;
    }
    if (scaled < lowest || scaled >= limit)
        return false;
    if (static_cast<double>(rounded) >= limit) { // rounding carried into a new digit
        rounded /= 10;
        ++exponent;
    }
    out = putGeneral(out, rounded, precision, exponent);
    return true;
}

bool fastFixed(char*& out, double a, int precision)
{
    double scaled = 0;
    uint64_t rounded = 0;
    if (!roundScaled(a, precision, scaled, rounded))
        return false;
    const auto unit = static_cast<uint64_t>(POW10[precision]);
    out = putUnsigned(out, rounded / unit);
    if (precision > 0) {
        *out++ = '.';
        out = putDigits(out, rounded % unit, precision);
    }
    return true;
}

char* exactByLibrary(char* out, double a, std::chars_format form, int precision)
{
    return std::to_chars(out, out + MAX_NUMBER_TEXT, a, form, precision).ptr;
}

} // namespace

char* formatGeneral(char* out, double value, int precision)
{
    if (!std::isfinite(value))
        return putNonFinite(out, value);
    if (std::signbit(value))
        *out++ = '-';
    const double a = std::fabs(value);
    if (a == 0) {
        *out++ = '0';
        return out;
    }
    if (fastGeneral(out, a, precision))
        return out;
    return exactByLibrary(out, a, std::chars_format::general, precision);
}

char* formatFixed(char* out, double value, int precision)
{
    if (!std::isfinite(value))
        return putNonFinite(out, value);
    if (std::signbit(value))
        *out++ = '-';
    const double a = std::fabs(value);
    if (fastFixed(out, a, precision))
        return out;
    return exactByLibrary(out, a, std::chars_format::fixed, precision);
}

char* formatInteger(char* out, long value)
{
    if (value < 0) {
        *out++ = '-';
        return putUnsigned(out, 0 - static_cast<uint64_t>(value));
    }
    return putUnsigned(out, static_cast<uint64_t>(value));
}
