// The number formatter against snprintf: for a value built from the input,
// every conversion the output uses ("%.1f", "%.2f", "%.4g", "%.5g") and one
// more of each kind at a precision the input picks must give the same text;
// integers go through "%ld", and through "%d" as ints and shorts.

#include "core/number_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

enum class Kind { DoubleBits, FloatBits, Decimal, Dyadic, Halfway, Integer, COUNT };

[[noreturn]] void reportDifference(const char* format, const std::string& value, const std::string& library,
                                   const std::string& ours)
{
    std::fprintf(stderr, "%s of %s: snprintf gives \"%s\", formatter gives \"%s\"\n", format, value.c_str(),
                 library.c_str(), ours.c_str());
    std::abort();
}

void checkReal(double value, bool general, int precision)
{
    char format[8];
    std::snprintf(format, sizeof format, "%%.%d%c", precision, general ? 'g' : 'f');
    char expected[MAX_NUMBER_TEXT + 1];
    const int length = std::snprintf(expected, sizeof expected, format, value);
    char actual[MAX_NUMBER_TEXT];
    const char* const begin = actual;
    const char* const end = general ? formatGeneral(actual, value, precision) : formatFixed(actual, value, precision);
    if (length < 0 || std::string(expected, static_cast<std::size_t>(length)) != std::string(begin, end)) {
        char shown[40];
        std::snprintf(shown, sizeof shown, "%a", value);
        reportDifference(format, shown, expected, std::string(begin, end));
    }
}

void checkInteger(long value)
{
    char expected[32];
    std::snprintf(expected, sizeof expected, "%ld", value);
    char actual[MAX_NUMBER_TEXT];
    const std::string got(actual, formatInteger(actual, value));
    if (got != expected)
        reportDifference("%ld", std::to_string(value), expected, got);
}

double powerOfTen(int exponent)
{
    return std::pow(10.0, exponent);
}

// A real built the way the kind says from the 64 input bits and a scale of 0
// to 31: any bit pattern of a double or a float, a decimal fraction, a
// dyadic fraction (its decimal digits end in a 5 exactly: a tie), or a point
// halfway between two numbers of few digits.
double realOf(Kind kind, uint64_t bits, int scale)
{
    const bool negative = (bits >> 63) != 0;
    const auto significand = static_cast<double>(bits & ((uint64_t{1} << 53) - 1));
    double magnitude = 0;
    switch (kind) {
    case Kind::DoubleBits: return std::bit_cast<double>(bits);
    case Kind::FloatBits: return std::bit_cast<float>(static_cast<uint32_t>(bits));
    case Kind::Decimal: magnitude = significand / powerOfTen(scale); break;
    case Kind::Dyadic: magnitude = std::ldexp(significand, -scale); break;
    default: magnitude = (static_cast<double>(bits % 1000000) + 0.5) * powerOfTen(scale - 16); break;
    }
    return negative ? -magnitude : magnitude;
}

// The value as a float holds it, as the spectra hold their values; beyond
// the float range that is an infinity (a plain cast would be undefined).
double asFloat(double value)
{
    if (std::fabs(value) > std::numeric_limits<float>::max() && std::isfinite(value))
        return std::copysign(HUGE_VAL, value);
    return static_cast<float>(value);
}

} // namespace

// Byte 0: the kind (low 3 bits) and the scale (high 5 bits); byte 1: the
// extra precision; then up to 8 bytes of value in the machine's order.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const auto kind = static_cast<Kind>((data[0] & 7) % static_cast<int>(Kind::COUNT));
    const int scale = data[0] >> 3;
    const int precision = data[1];
    uint64_t bits = 0;
    std::memcpy(&bits, data + 2, std::min<std::size_t>(size - 2, sizeof bits));

    if (kind == Kind::Integer) {
        checkInteger(static_cast<long>(bits));
        checkInteger(static_cast<int32_t>(bits));
        checkInteger(static_cast<int16_t>(bits));
        return 0;
    }
    const double real = realOf(kind, bits, scale);
    for (const double value : {real, asFloat(real)}) {
        checkReal(value, false, 1);
        checkReal(value, false, 2);
        checkReal(value, true, 4);
        checkReal(value, true, 5);
        checkReal(value, true, 1 + precision % 17);
        checkReal(value, false, precision % 18);
    }
    return 0;
}
