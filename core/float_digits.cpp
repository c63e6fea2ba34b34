#include "core/float_digits.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cstdlib>

namespace {

// Exponents are read up to this size; a larger one already puts every
// possible mantissa far outside the float range.
constexpr int64_t EXPONENT_CAP = 1'000'000'000'000;
// The power handed to strtof is clamped to this: beyond it the result is
// 0 or infinity for every mantissa of at most MAX_SIGNIFICANT + 1 digits.
constexpr int64_t POWER_LIMIT = 99'999;

char digitChar(int value)
{
    return "0123456789abcdef"[value];
}

} // namespace

void FloatDigits::exponentDigit(int c)
{
    hasExponentDigit_ = true;
    exponent_ = std::min(exponent_ * 10 + (c - '0'), EXPONENT_CAP);
}

// The written exponent, in powers of 10 (decimal) or 2 (hexadecimal); "1e"
// or "0x1p" without exponent digits convert as "1" and "0x1".
int64_t FloatDigits::scaleExponent() const
{
    if (!hasExponentMark_ || !hasExponentDigit_)
        return 0;
    return exponentNegative_ ? -exponent_ : exponent_;
}

float FloatDigits::value() const
{
    if (!significantStarted_)
        return negative_ ? -0.0f : 0.0f;
    float magnitude;
    if (!fastValue(magnitude))
        magnitude = valueFromText();
    return negative_ ? -magnitude : magnitude;
}

bool FloatDigits::fastValue(float& value) const
{
    if (hex_ || sticky_ || digitCount_ > 19)
        return false;
    return exactDecimal(leading_, pointShift_ - static_cast<int64_t>(digitCount_) + scaleExponent(), value);
}

// Up to 2^53 scaled by at most 10^22: both operands are exact doubles, so the
// double result is correctly rounded, and rounding it on to float is too
// unless it fell exactly on a midpoint between two floats (any such midpoint
// is a double itself, so the true value cannot lie beyond one from the
// double result).
bool FloatDigits::exactDecimal(uint64_t significand, int64_t power, float& value)
{
#if FLT_EVAL_METHOD == 0
    if (significand > (uint64_t{1} << 53) || power < -22 || power > 22)
        return false;
    static constexpr double POWERS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const double m = static_cast<double>(significand);
    const double result = power >= 0 ? m * POWERS[power] : m / POWERS[-power];
    // The 29 bits a float does not keep: exactly one half of its last place.
    constexpr uint64_t BELOW_FLOAT = (uint64_t{1} << 29) - 1;
    constexpr uint64_t HALF_FLOAT_PLACE = uint64_t{1} << 28;
    if ((std::bit_cast<uint64_t>(result) & BELOW_FLOAT) == HALF_FLOAT_PLACE)
        return false;
    value = static_cast<float>(result);
    return true;
#else
    (void)significand;
    (void)power;
    (void)value;
    return false;
#endif
}

// The kept digits as an integer with an exponent and no radix point, so the
// conversion does not depend on the locale's decimal point.
float FloatDigits::valueFromText() const
{
    char text[MAX_SIGNIFICANT + 32];
    std::size_t n = 0;
    if (hex_) {
        text[n++] = '0';
        text[n++] = 'x';
    }
    for (std::size_t i = 0; i < digitCount_; ++i)
        text[n++] = digitChar(digits_[i]);
    const int64_t written = static_cast<int64_t>(digitCount_) + (sticky_ ? 1 : 0);
    if (sticky_)
        text[n++] = '1';
    const int64_t radixBits = hex_ ? 4 : 1;
    const int64_t power = std::clamp((pointShift_ - written) * radixBits + scaleExponent(), -POWER_LIMIT, POWER_LIMIT);
    text[n++] = hex_ ? 'p' : 'e';
    *std::to_chars(text + n, text + sizeof text - 1, power).ptr = '\0';
    return std::strtof(text, nullptr);
}
