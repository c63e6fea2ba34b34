#pragma once
// The digits of one real number as the scanner meets them, turned into the
// float strtof would give for the same text. Only the digits that can decide
// the rounding are kept (the rest shrink to a sticky non-zero digit and a
// digit count), so a number of any length needs no allocation.

#include <cstddef>
#include <cstdint>

class FloatDigits {
public:
    FloatDigits(bool negative, bool hexadecimal) : negative_(negative), hex_(hexadecimal) {}

    // A digit of the mantissa: '0'-'9', or a hexadecimal digit in hex form.
    void mantissaDigit(int c)
    {
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        hasMantissaDigit_ = true;
        if (!significantStarted_ && digit == 0) {
            if (inFraction_)
                --pointShift_;
            return;
        }
        significantStarted_ = true;
        if (!inFraction_)
            ++pointShift_;
        if (digitCount_ < MAX_SIGNIFICANT) {
            digits_[digitCount_++] = static_cast<unsigned char>(digit);
            leading_ = leading_ * 10 + static_cast<uint64_t>(digit);
        } else if (digit != 0) {
            sticky_ = true;
        }
    }
    // The radix point.
    void point() { inFraction_ = true; }
    // The exponent character ('e' or 'p'); the exponent only counts once a
    // digit follows it.
    void exponentMark() { hasExponentMark_ = true; }
    void exponentSign(int c) { exponentNegative_ = c == '-'; }
    void exponentDigit(int c);

    bool hasMantissaDigit() const { return hasMantissaDigit_; }

    // The rounded value; a text without mantissa digits counts as zero.
    float value() const;

    // significand x 10^power rounded to float, when a double computation is
    // certain to round it as strtof does; false otherwise.
    static bool exactDecimal(uint64_t significand, int64_t power, float& value);

    // Digits kept beyond this many significant ones cannot change a float's
    // rounding: every float and every midpoint between two floats has fewer.
    static constexpr std::size_t MAX_SIGNIFICANT = 160;

private:
    int64_t scaleExponent() const;
    float valueFromText() const;
    bool fastValue(float& value) const;

    bool negative_;
    bool hex_;
    bool inFraction_ = false;
    bool hasMantissaDigit_ = false;
    bool significantStarted_ = false;
    bool sticky_ = false;
    unsigned char digits_[MAX_SIGNIFICANT];
    std::size_t digitCount_ = 0;
    // The decimal digits kept, as a number; exact while there are at most 19.
    uint64_t leading_ = 0;
    // Radix digits before the point counted from the first significant
    // digit, less the zeros between the point and that digit.
    int64_t pointShift_ = 0;
    bool hasExponentMark_ = false;
    bool exponentNegative_ = false;
    bool hasExponentDigit_ = false;
    int64_t exponent_ = 0;
};
