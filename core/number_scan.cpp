#include "core/number_scan.h"

#include "core/float_digits.h"

#include <limits>
#include <type_traits>

// The conversions follow glibc's scanner step by step, including where it
// differs from a plain reading of the C standard: "1e" reads as 1 with the
// 'e' consumed, "0x." reads as 0, and a failed "nan"/"infinity" swallows the
// character that broke the word.

namespace {

bool isSpace(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}
bool isHexDigit(int c)
{
    return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}
int lower(int c)
{
    return c >= 'A' && c <= 'Z' ? c | 0x20 : c;
}

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

constexpr int PLAIN_DIGITS = 19; // any 19 digits fit in 64 bits

// Appends the decimal digits from p on (before end) to significand; returns
// where they stop. Past 19 digits the significand wraps; the caller does not
// use it then.
const unsigned char* takeDigits(const unsigned char* p, const unsigned char* end, uint64_t& significand)
{
    for (; p != end; ++p) {
        const auto digit = static_cast<unsigned>(*p - '0');
        if (digit > 9)
            break;
        significand = significand * 10 + digit;
    }
    return p;
}

// A plain decimal lying wholly in [p, end): white space, an optional sign,
// digits with at most one point, then a character that ends it for certain.
// Returns where that character stands, or null when the text needs the
// character-by-character reader: no digit, an exponent, a hexadecimal
// prefix, more than PLAIN_DIGITS digits, a rounding the double computation
// cannot settle, or the end of the buffer reached.
const unsigned char* parseBufferedPlain(const unsigned char* p, const unsigned char* end, float& value)
{
    while (p != end && isSpace(*p))
        ++p;
    if (p == end)
        return nullptr;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    uint64_t significand = 0;
    const unsigned char* first = p;
    p = takeDigits(p, end, significand);
    int64_t digits = p - first;
    int64_t fractionDigits = 0;
    if (p != end && *p == '.') {
        const unsigned char* fraction = p + 1;
        p = takeDigits(fraction, end, significand);
        fractionDigits = p - fraction;
        digits += fractionDigits;
    }
    // Beyond PLAIN_DIGITS the significand may have wrapped; it is not used then.
    if (p == end || digits == 0 || digits > PLAIN_DIGITS || (*p | 0x20) == 'e' || (*p | 0x20) == 'x')
        return nullptr;
    float magnitude;
    if (fractionDigits == 0)
        magnitude = static_cast<float>(significand); // a whole number: converted with one rounding
    else if (!FloatDigits::exactDecimal(significand, -fractionDigits, magnitude))
        return nullptr;
    value = negative ? -magnitude : magnitude;
    return p;
}

// " %f" character by character.
template <class Chars>
bool scanFloatByChars(Chars& in, float& value)
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
    if constexpr (std::is_same_v<Chars, StreamChars>) {
        const StreamChars::Buffered buffered = in.buffered();
        if (const unsigned char* stop = parseBufferedPlain(buffered.begin, buffered.end, value)) {
            in.consume(static_cast<std::size_t>(stop - buffered.begin));
            return true;
        }
    }
    return scanFloatByChars(in, value);
}

int scanCommaFloats(StreamChars& in, float* values, int count)
{
    int read = 0;
    while (read < count) {
        // As many as the buffer holds in plain form, then one the long way.
        const StreamChars::Buffered buffered = in.buffered();
        const unsigned char* p = buffered.begin;
        for (; read < count && p != buffered.end && *p == ','; ++read) {
            const unsigned char* stop = parseBufferedPlain(p + 1, buffered.end, values[read]);
            if (!stop)
                break;
            p = stop;
        }
        in.consume(static_cast<std::size_t>(p - buffered.begin));
        if (read == count)
            break;
        if (!matchChar(in, ',') || !scanFloat(in, values[read]))
            break;
        ++read;
    }
    return read;
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
