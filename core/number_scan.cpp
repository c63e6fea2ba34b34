#include "core/number_scan.h"

#include "core/float_digits.h"

#include <limits>

// The conversions follow glibc's scanner step by step, including where it
// differs from a plain reading of the C standard: "1e" reads as 1 with the
// 'e' consumed, "0x." reads as 0, and a failed "nan"/"infinity" swallows the
// character that broke the word.

namespace {

bool isSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isHexDigit(int c) { return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
int lower(int c) { return c >= 'A' && c <= 'Z' ? c | 0x20 : c; }

template <class Chars>
int firstAfterSpace(Chars& in)
{
    int c;
    do
        c = in.get();
    while (isSpace(c));
    return c;
}

// The remaining letters of "nan", "inf" or "infinity", in any case. The
// character that does not match is consumed, not pushed back.
template <class Chars>
bool matchLetters(Chars& in, const char* letters)
{
    for (; *letters != '\0'; ++letters)
        if (lower(in.get()) != *letters)
            return false;
    return true;
}

template <class Chars>
bool scanNanOrInfinity(Chars& in, int first, bool negative, float& value)
{
    if (first == 'n') {
        if (!matchLetters(in, "an"))
            return false;
        const float nan = std::numeric_limits<float>::quiet_NaN();
        value = negative ? -nan : nan;
        return true;
    }
    if (!matchLetters(in, "nf"))
        return false;
    const int next = in.get();
    if (lower(next) == 'i') {
        if (!matchLetters(in, "nity"))
            return false;
    } else {
        in.unget(next);
    }
    const float infinity = std::numeric_limits<float>::infinity();
    value = negative ? -infinity : infinity;
    return true;
}

// Mantissa digits, one radix point, an exponent mark after a digit, a sign
// right after the mark, exponent digits; the first other character ends it.
// Returns whether any character was taken.
template <class Chars>
bool collectNumber(Chars& in, int c, bool hex, bool gotDigit, FloatDigits& digits)
{
    const int exponentChar = hex ? 'p' : 'e';
    bool gotDot = false;
    bool gotExponent = false;
    bool afterMark = false;
    bool took = false;
    for (;;) {
        bool mark = false;
        if (isDigit(c) || (hex && !gotExponent && isHexDigit(c))) {
            if (gotExponent)
                digits.exponentDigit(c);
            else
                digits.mantissaDigit(c);
            gotDigit = true;
        } else if (afterMark && (c == '-' || c == '+')) {
            digits.exponentSign(c);
        } else if (gotDigit && !gotExponent && lower(c) == exponentChar) {
            digits.exponentMark();
            gotExponent = gotDot = mark = true;
        } else if (!gotDot && c == '.') {
            digits.point();
            gotDot = true;
        } else {
            in.unget(c);
            return took;
        }
        took = true;
        afterMark = mark;
        c = in.get();
        if (c == EOF)
            return took;
    }
}

} // namespace

template <class Chars>
bool scanInteger(Chars& in, int64_t& value)
{
    int c = firstAfterSpace(in);
    if (c == EOF)
        return false;
    const bool negative = c == '-';
    if (c == '-' || c == '+')
        c = in.get();
    if (!isDigit(c)) {
        in.unget(c);
        return false;
    }
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    uint64_t magnitude = 0;
    bool overflow = false;
    do {
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (magnitude > (limit - digit) / 10)
            overflow = true;
        else
            magnitude = magnitude * 10 + digit;
        c = in.get();
    } while (isDigit(c));
    in.unget(c);
    if (overflow)
        magnitude = limit;
    value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

template <class Chars>
bool scanFloat(Chars& in, float& value)
{
    int c = firstAfterSpace(in);
    if (c == EOF)
        return false;
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        c = in.get();
        if (c == EOF)
            return false;
    }
    if (lower(c) == 'n' || lower(c) == 'i')
        return scanNanOrInfinity(in, lower(c), negative, value);

    bool hex = false;
    bool leadingZero = false;
    if (c == '0') {
        c = in.get();
        hex = lower(c) == 'x';
        leadingZero = !hex;
        if (hex)
            c = in.get();
    }
    FloatDigits digits(negative, hex);
    if (leadingZero)
        digits.mantissaDigit('0');
    const bool took = collectNumber(in, c, hex, leadingZero, digits);
    // A bare "0x" is refused; "0x." converts as the "0" before the 'x'.
    if (hex ? !took : !digits.hasMantissaDigit())
        return false;
    value = digits.value();
    return true;
}

template <class Chars>
bool matchChar(Chars& in, char expected)
{
    const int c = in.get();
    if (c == static_cast<unsigned char>(expected))
        return true;
    in.unget(c);
    return false;
}

template bool scanInteger(StreamChars&, int64_t&);
template bool scanInteger(StringChars&, int64_t&);
template bool scanFloat(StreamChars&, float&);
template bool scanFloat(StringChars&, float&);
template bool matchChar(StreamChars&, char);
template bool matchChar(StringChars&, char);
