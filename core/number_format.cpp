#include "core/number_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

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

// The nearest integer to a * 10^shift, when the double arithmetic decides it
// beyond doubt; false near a halfway point or out of the exact range.
bool roundScaled(double a, int shift, double& scaled, uint64_t& rounded)
{
    if (shift > MAX_EXACT_POWER || shift < -MAX_EXACT_POWER)
        return false;
    scaled = shift >= 0 ? a * POW10[shift] : a / POW10[-shift];
    if (!(scaled < MAX_SCALED))
        return false;
    const auto whole = static_cast<uint64_t>(scaled);
    const double fraction = scaled - static_cast<double>(whole);
    // The error of scaled is at most scaled * 2^-53; keep well clear of it.
    if (std::fabs(fraction - 0.5) <= scaled * 0x1p-48 + 0x1p-60)
        return false;
    rounded = whole + (fraction > 0.5 ? 1 : 0);
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

// Decimal exponent of a normal positive a, from its binary exponent and one
// comparison; near a power of ten it may still be one off either way.
int decimalExponentGuess(double a)
{
    const int binary = static_cast<int>(std::bit_cast<uint64_t>(a) >> 52) - 1023;
    const int guess = (binary * 1233) >> 12; // 1233 / 4096 is just below log10(2): at most one low
    const int next = guess + 1;
    if (next > MAX_EXACT_POWER || next < -MAX_EXACT_POWER)
        return guess; // beyond the fast paths anyway
    const double power = next >= 0 ? POW10[next] : 1 / POW10[-next];
    return a >= power ? next : guess;
}

constexpr char DIGIT_PAIRS[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

// The digits of a P-digit number, written with one eight-byte store each
// time; the caller's buffer has room beyond the text for the spill.
template <int P>
struct Digits {
    static_assert(P >= 1 && P <= 8);
    char text[16] = {};
    int significant = P; // without trailing zeros

    explicit Digits(uint32_t n)
    {
        // Two digits at a time, from the right.
        int end = P;
        for (; end >= 2; end -= 2) {
            std::memcpy(text + end - 2, DIGIT_PAIRS + 2 * (n % 100), 2);
            n /= 100;
        }
        if (end == 1)
            text[0] = static_cast<char>('0' + n);
        while (significant > 1 && text[significant - 1] == '0')
            --significant;
    }
    // Stores the digits from `first` on at `out`.
    void store(char* out, int first) const { std::memcpy(out, text + first, 8); }
};

// "%.<P>g" of the value with the P significant digits `rounded` and decimal
// exponent `exponent`: trailing zeros dropped, and the point with them when
// nothing follows it.
template <int P>
char* putGeneral(char* out, uint32_t rounded, int exponent)
{
    const Digits<P> digits(rounded);
    const int significant = digits.significant;
    if (exponent >= 0 && exponent < P) {
        const int whole = exponent + 1;
        digits.store(out, 0);
        if (significant <= whole)
            return out + whole;
        out[whole] = '.';
        digits.store(out + whole + 1, whole);
        return out + significant + 1;
    }
    if (exponent < 0 && exponent >= -4) {
        std::memcpy(out, "0.000000", 8);
        digits.store(out + 1 - exponent, 0);
        return out + 1 - exponent + significant;
    }
    out[0] = digits.text[0];
    if (significant > 1) {
        out[1] = '.';
        digits.store(out + 2, 1);
        out += significant + 1;
    } else {
        out += 1;
    }
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const auto magnitude = static_cast<uint64_t>(exponent < 0 ? -exponent : exponent);
    return putDigits(out, magnitude, magnitude < 100 ? 2 : 3);
}

template <int P>
bool fastGeneral(char*& out, double a)
{
    if (a < std::numeric_limits<double>::min())
        return false;
    constexpr double lowest = POW10[P - 1];
    constexpr double limit = POW10[P];
    int exponent = decimalExponentGuess(a);
    double scaled = 0;
    uint64_t rounded = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!roundScaled(a, P - 1 - exponent, scaled, rounded))
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
    out = putGeneral<P>(out, static_cast<uint32_t>(rounded), exponent);
    return true;
}

// The precisions the output uses have a fast path; others go to the library.
bool fastGeneral(char*& out, double a, int precision)
{
    switch (precision) {
    case 4: return fastGeneral<4>(out, a);
    case 5: return fastGeneral<5>(out, a);
    default: return false;
    }
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
