#include "core/float_digits.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstdlib>

namespace {

// Exponents are read up to this size; a larger one already puts every
// possible mantissa far outside the float range.
constexpr int64_t EXPONENT_CAP = 1'000'000'000'000;
// The power handed to strtof is clamped to this: beyond it the result is
// 0 or infinity for every mantissa of at most MAX_SIGNIFICANT + 1 digits.
constexpr int64_t POWER_LIMIT = 99'999;

int digitValue(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

char digitChar(int value) { return "0123456789abcdef"[value]; }

} // namespace

void FloatDigits::mantissaDigit(int c)
{
    const int digit = digitValue(c);
    hasMantissaDigit_ = true;
    if (!significantStarted_ && digit == 0) {
        if (inFraction_)
            --pointShift_;
        return;
    }
    significantStarted_ = true;
    if (!inFraction_)
        ++pointShift_;
    if (digitCount_ < MAX_SIGNIFICANT)
        digits_[digitCount_++] = static_cast<unsigned char>(digit);
    else if (digit != 0)
        sticky_ = true;
}

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

// Up to 8 significant digits (at most 2^24) scaled by at most 10^10: both
// operands are exact floats, so one float operation rounds correctly.
bool FloatDigits::fastValue(float& value) const
{
#if FLT_EVAL_METHOD == 0
    if (hex_ || sticky_)
        return false;
    std::size_t count = digitCount_;
    while (digits_[count - 1] == 0)
        --count;
    if (count > 8)
        return false;
    uint32_t mantissa = 0;
    for (std::size_t i = 0; i < count; ++i)
        mantissa = mantissa * 10 + digits_[i];
    const int64_t power = pointShift_ - static_cast<int64_t>(count) + scaleExponent();
    if (mantissa > (1u << 24) || power < -10 || power > 10)
        return false;
    static constexpr float POWERS[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    const float m = static_cast<float>(mantissa);
    value = power >= 0 ? m * POWERS[power] : m / POWERS[-power];
    return true;
#else
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
    const int64_t power =
        std::clamp((pointShift_ - written) * radixBits + scaleExponent(), -POWER_LIMIT, POWER_LIMIT);
    std::snprintf(text + n, sizeof text - n, "%c%lld", hex_ ? 'p' : 'e', static_cast<long long>(power));
    return std::strtof(text, nullptr);
}
