// The scanners against glibc's own fscanf and sscanf on many generated texts,
// well-formed and malformed: same success, same value (bit for bit), and the
// stream left at the same place (the unread rest compared byte for byte).

#include "core/format_detection.h"
#include "core/number_scan.h"

#include "seeded_random.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int ok = 0; // conversions that succeeded
    uint64_t value = 0;
    uint64_t second = 0;
    std::string rest;
    bool operator==(const Outcome&) const = default;
};

uint64_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string printable(const std::string& text)
{
    std::string out;
    for (const unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

std::string describe(const Outcome& o)
{
    return "ok=" + std::to_string(o.ok) + " value=" + std::to_string(o.value) + " second=" + std::to_string(o.second) +
           " rest='" + printable(o.rest) + "'";
}

// Runs one conversion on a fresh stream over text and records the outcome.
template <typename Scan>
Outcome onStream(const std::string& text, Scan scan)
{
    MemoryStream stream(text);
    Outcome outcome;
    scan(stream.get(), outcome);
    outcome.rest = stream.rest();
    return outcome;
}

// ---- one conversion, by glibc and by the scanners ----

uint64_t valueBits(float v)
{
    return bitsOf(v);
}
uint64_t valueBits(long v)
{
    return static_cast<uint64_t>(v);
}
uint64_t valueBits(int v)
{
    return static_cast<uint64_t>(static_cast<int64_t>(v));
}

// The conversion of the C format that stores a T: "%f", "%ld" or "%d".
template <class Chars>
bool scanOne(Chars& in, float& v)
{
    return scanFloat(in, v);
}

template <class Chars>
bool scanOne(Chars& in, long& v)
{
    int64_t read;
    if (!scanInteger(in, read))
        return false;
    v = static_cast<long>(read);
    return true;
}

template <class Chars>
bool scanOne(Chars& in, int& v)
{
    int64_t read;
    if (!scanInteger(in, read))
        return false;
    v = low32(read);
    return true;
}

// Where the format puts its literal comma.
enum class Comma { None, Before, After };

struct Comparison {
    std::string name;
    std::function<Outcome(const std::string&)> reference;
    std::function<Outcome(const std::string&)> ours;
};

// fscanf with one conversion storing a T; a comma after it is followed by
// "%n", which is only stored when the comma matched.
template <typename T>
Comparison streamConversion(const char* format, Comma comma)
{
    const auto reference = [=](const std::string& text) {
        return onStream(text, [&](std::FILE* f, Outcome& o) {
            T v{};
            int n = -1;
            const int r = std::fscanf(f, format, &v, &n);
            o.ok = r == 1 && (comma != Comma::After || n >= 0);
            o.value = r == 1 ? valueBits(v) : 0;
        });
    };
    const auto ours = [=](const std::string& text) {
        return onStream(text, [&](std::FILE* f, Outcome& o) {
            StreamChars in(f);
            T v{};
            const bool read = (comma != Comma::Before || matchChar(in, ',')) && scanOne(in, v);
            o.ok = read && (comma != Comma::After || matchChar(in, ','));
            o.value = read ? valueBits(v) : 0;
        });
    };
    return {format, reference, ours};
}

// sscanf over the text up to its first NUL, format ending in "%n": the
// position is known after a success only.
template <typename T>
Comparison stringConversion(const char* format)
{
    const auto reference = [=](const std::string& text) {
        T v{};
        int n = -1;
        Outcome o;
        o.ok = std::sscanf(text.c_str(), format, &v, &n) == 1;
        o.value = o.ok ? valueBits(v) : 0;
        o.rest = o.ok ? text.c_str() + n : "";
        return o;
    };
    const auto ours = [](const std::string& text) {
        StringChars in(text.c_str());
        T v{};
        Outcome o;
        o.ok = scanOne(in, v);
        o.value = o.ok ? valueBits(v) : 0;
        o.rest = o.ok ? in.position() : "";
        return o;
    };
    return {std::string("sscanf ") + format, reference, ours};
}

Comparison detectionScan()
{
    const auto reference = [](const std::string& text) {
        return onStream(text, [](std::FILE* f, Outcome& o) {
            float v8 = 0;
            float v13 = 0;
            const int r = std::fscanf(f, "%*f,%*f,%*f,%*f,%*f,%*f,%*f,%f,%*f,%*f,%*f,%*f,%f", &v8, &v13);
            o.ok = r == EOF ? 0 : r;
            o.value = o.ok >= 1 ? bitsOf(v8) : 0;
            o.second = o.ok == 2 ? bitsOf(v13) : 0;
        });
    };
    const auto ours = [](const std::string& text) {
        return onStream(text, [](std::FILE* f, Outcome& o) {
            StreamChars in(f);
            float v8 = 0;
            float v13 = 0;
            o.ok = scanDetectionValues(in, v8, v13);
            o.value = o.ok >= 1 ? bitsOf(v8) : 0;
            o.second = o.ok == 2 ? bitsOf(v13) : 0;
        });
    };
    return {"detection scan", reference, ours};
}

// ---- generated texts ----

class TextGenerator {
public:
    explicit TextGenerator(uint64_t seed) : rng_(seed) {}

    // One number-like token with a random lead-in, tail and damage.
    std::string numberText()
    {
        std::string text = pick(" \t\n\r\v\f", below(4)) + token();
        text += tail();
        if (below(5) == 0)
            damage(text);
        return text;
    }

    // A data line of numbers joined by commas, sometimes with blanks.
    std::string lineText()
    {
        std::string line = pick(" \t", below(2));
        const int values = 1 + below(18);
        for (int i = 0; i < values; ++i) {
            if (i > 0)
                line += below(12) == 0 ? pick(" ,", 2) : below(12) == 0 ? ", " : ",";
            line += below(8) == 0 ? token() : plainNumber();
        }
        line += tail();
        if (below(6) == 0)
            damage(line);
        return line;
    }

    // The texts where reading a plain decimal in place must hand over to the
    // full reader, or must round exactly: long plain decimals, a lone point
    // or sign, an exponent mark or 'x' right after the digits.
    std::string plainEdge()
    {
        std::string text = pick(" \t\n", below(2));
        switch (below(3)) {
        case 0: text += pick("-+", below(2)) + pick(".", below(2)) + pick("0", below(2)); break;
        case 1:
            text += sign() + digits(1 + below(8)) + pick(".", below(2)) + digits(below(4)) + pick("eExX.", 1);
            break;
        default: text += longPlain(); break;
        }
        return text + pick(",\n ", below(2)) + (below(2) == 0 ? "7" : "");
    }

    // A plain decimal that is read in full: 17 to 21 digits, leading zeros,
    // or a midpoint between two floats with few digits.
    std::string longPlain()
    {
        switch (below(6)) {
        case 5: return sign() + cutMidpoint();
        case 0: return sign() + std::string(static_cast<std::size_t>(below(4)), '0') + digits(17 + below(5));
        case 1: {
            std::string n = digits(17 + below(5));
            n.insert(static_cast<std::size_t>(below(static_cast<int>(n.size()) + 1)), 1, '.');
            return sign() + n;
        }
        case 2: return sign() + shortMidpoint();
        case 3: return sign() + wholeMidpoint();
        default: return sign() + "0." + std::string(static_cast<std::size_t>(below(24)), '0') + digits(1 + below(4));
        }
    }

private:
    // A midpoint between two floats with at most 8 fraction digits (floats
    // of 2^(24-k) to 2^(25-k) lie 2^(1-k) apart), exact or nudged up or down
    // in a 19th digit: a double computation rounds such a nudge onto the
    // midpoint itself.
    std::string shortMidpoint()
    {
        const int k = below(9);
        const double low = std::ldexp(1.0, 24 - k) * (1.0 + below(1 << 20) / double(1 << 20));
        const float below_ = static_cast<float>(low);
        const float above = std::nextafter(below_, std::numeric_limits<float>::infinity());
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", k, (double{below_} + double{above}) / 2);
        std::string n = text;
        const int nudge = below(3);
        if (nudge == 0)
            return n;
        if (nudge == 2)
            --n.back(); // its last digit is 5 or odd
        if (n.find('.') == std::string::npos)
            n += '.';
        while (n.size() < 19) // 18 digits and the point
            n += nudge == 1 ? '0' : '9';
        return n + (nudge == 1 ? "1" : "9");
    }

    // A midpoint between two floats of 1/8 to 8 cut to 15 or 16 significant
    // digits, sometimes raised in the last: many fraction digits, yet few
    // enough for the double computation, which may land on the midpoint.
    std::string cutMidpoint()
    {
        const double low = std::ldexp(1.0 + below(1 << 22) / double(1 << 22), below(6) - 3);
        const float below_ = static_cast<float>(low);
        const float above = std::nextafter(below_, std::numeric_limits<float>::infinity());
        char text[64];
        std::snprintf(text, sizeof text, "%.40f", (double{below_} + double{above}) / 2);
        std::string n = text;
        const std::size_t first = n.find_first_not_of("0.");
        std::size_t end = first;
        for (int significant = 0; significant < 15 + below(2); ++end)
            significant += n[end] != '.';
        n.resize(end);
        if (below(2) == 0 && n.back() != '9')
            ++n.back();
        return n;
    }

    // A whole-number midpoint between two floats of 2^24 to 2^63, exact or
    // one off.
    std::string wholeMidpoint()
    {
        const double low = std::ldexp(1.0 + below(1 << 20) / double(1 << 20), 24 + below(39));
        const float below_ = static_cast<float>(low);
        const float above = std::nextafter(below_, std::numeric_limits<float>::infinity());
        const uint64_t midpoint = (static_cast<uint64_t>(below_) + static_cast<uint64_t>(above)) / 2;
        return std::to_string(midpoint + static_cast<uint64_t>(below(3)) - 1);
    }

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::string pick(const std::string& alphabet, int count)
    {
        std::string out;
        for (int i = 0; i < count; ++i)
            out.push_back(alphabet[static_cast<std::size_t>(below(static_cast<int>(alphabet.size())))]);
        return out;
    }

    std::string sign() { return std::string(below(3) == 0 ? "-" : below(6) == 0 ? "+" : ""); }
    std::string digits(int count) { return pick("0123456789", count); }

    std::string plainNumber()
    {
        std::string n = sign() + digits(1 + below(6));
        if (below(2) == 0)
            n += "." + digits(below(6));
        return n;
    }

    std::string decimal()
    {
        std::string n = sign() + digits(below(13));
        if (below(2) == 0)
            n += "." + digits(below(13));
        if (below(3) == 0)
            n += pick("eE", 1) + (below(2) == 0 ? pick("+-", 1) : "") + digits(below(6));
        return n;
    }

    std::string hexadecimal()
    {
        std::string n = sign() + "0" + pick("xX", 1) + pick("0123456789abcdefABCDEF", below(11));
        if (below(2) == 0)
            n += "." + pick("0123456789abcdef", below(7));
        if (below(2) == 0)
            n += pick("pP", 1) + (below(2) == 0 ? pick("+-", 1) : "") + digits(below(5));
        return n;
    }

    std::string word()
    {
        static const char* const words[] = {"nan", "NaN", "inf", "INF", "infinity", "Infinity", "nan(12)"};
        std::string w = words[below(7)];
        w.resize(static_cast<std::size_t>(1 + below(static_cast<int>(w.size()))));
        if (below(4) == 0)
            w[static_cast<std::size_t>(below(static_cast<int>(w.size())))] = pick("xyz,.0", 1)[0];
        return sign() + w;
    }

    std::string longDecimal()
    {
        std::string n = sign() + std::string(static_cast<std::size_t>(below(300)), '0') + digits(1 + below(1500));
        if (below(2) == 0)
            n += "." + digits(below(500));
        if (below(2) == 0)
            n += "e" + pick("+-", 1) + digits(1 + below(3));
        return n;
    }

    // A midpoint between two neighbouring floats, exact, nudged by one digit
    // far down, or cut short: the hardest cases for rounding.
    std::string midpoint()
    {
        std::uniform_int_distribution<uint32_t> anyBits(0, 0x7F7FFFFE);
        const uint32_t bits = anyBits(rng_);
        float low;
        std::memcpy(&low, &bits, sizeof low);
        const float high = std::nextafter(low, std::numeric_limits<float>::infinity());
        char text[256];
        std::snprintf(text, sizeof text, "%.120e", (static_cast<double>(low) + static_cast<double>(high)) / 2);
        std::string n = text;
        const std::size_t e = n.find('e');
        std::string mantissa = n.substr(0, e);
        const std::string exponent = n.substr(e);
        while (mantissa.back() == '0')
            mantissa.pop_back();
        // Cut to 6 to 19 significant digits ("d." plus the rest), sometimes
        // nudged up in the last one: short texts right beside a midpoint.
        const auto shortLength = static_cast<std::size_t>(7 + below(14));
        switch (below(6)) {
        case 0: mantissa += "0000000001"; break;
        case 1: mantissa.resize(mantissa.size() - 1); break;
        case 2: mantissa.resize(std::min(mantissa.size(), shortLength)); break;
        case 3:
            mantissa.resize(std::min(mantissa.size(), shortLength - 1));
            mantissa += "1";
            break;
        default: break;
        }
        return sign() + mantissa + exponent;
    }

    std::string garbage() { return pick("0123456789.eEpPxX+-,nNaAiIfFtTyY( \t\n\r\xff", below(9)); }

    std::string token()
    {
        switch (below(9)) {
        case 0:
        case 1: return decimal();
        case 2: return hexadecimal();
        case 3: return word();
        case 4: return longDecimal();
        case 5: return midpoint();
        case 6: return sign() + digits(1 + below(25));
        case 7: return plainNumber();
        default: return garbage();
        }
    }

    std::string tail()
    {
        static const char* const tails[] = {"", ",", ",1", " ,", "\n", "x", ",\n", ", 2", "e", "."};
        return tails[below(10)];
    }

    void damage(std::string& text)
    {
        const std::string hard = std::string("0123456789.eEpPxX+-,nNaAiIfFtTyY( \t\n\r\xff") + '\0';
        const std::size_t at = text.empty() ? 0 : static_cast<std::size_t>(below(static_cast<int>(text.size())));
        switch (below(3)) {
        case 0: text.insert(at, 1, pick(hard, 1)[0]); break;
        case 1:
            if (!text.empty())
                text.erase(at, 1);
            break;
        default:
            if (!text.empty())
                text[at] = pick(hard, 1)[0];
            break;
        }
    }

    SeededRandom<std::mt19937_64> rng_;
};

// Runs every comparison over the texts; fails with the first differences.
void compareAll(const std::vector<std::string>& texts, std::initializer_list<Comparison> comparisons)
{
    std::vector<std::string> differences;
    for (const Comparison& c : comparisons) {
        int succeeded = 0;
        for (const std::string& text : texts) {
            const Outcome expected = c.reference(text);
            const Outcome actual = c.ours(text);
            succeeded += expected.ok != 0;
            if (!(expected == actual) && differences.size() < 20)
                differences.push_back(c.name + " on '" + printable(text) + "': glibc " + describe(expected) +
                                      ", ours " + describe(actual));
        }
        // Both outcomes must be well represented, or the comparison proves little.
        const auto total = static_cast<int>(texts.size());
        EXPECT_GT(succeeded, total / 20) << c.name;
        EXPECT_LT(succeeded, total - total / 20) << c.name;
    }
    std::string report;
    for (const std::string& d : differences)
        report += d + "\n";
    EXPECT_TRUE(differences.empty()) << report;
}

} // namespace

TEST(ScannerDifferential, NumbersMatchFscanfAndSscanf)
{
    TextGenerator generator(0x0A5C11D1FFu);
    std::vector<std::string> texts;
    for (int i = 0; i < 20000; ++i)
        texts.push_back(generator.numberText());
    compareAll(texts, {
                          streamConversion<float>("%f", Comma::None),
                          streamConversion<long>("%ld", Comma::None),
                          streamConversion<int>("%d", Comma::None),
                          streamConversion<float>("%f,%n", Comma::After),
                          streamConversion<long>("%ld,%n", Comma::After),
                          stringConversion<float>("%f%n"),
                          stringConversion<int>("%d%n"),
                      });

    // ",%f" wants the comma first: most texts get one, some do not.
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (i % 4 != 0)
            texts[i].insert(0, 1, ',');
    compareAll(texts, {streamConversion<float>(",%f", Comma::Before)});
}

TEST(ScannerDifferential, DetectionScanMatchesFscanf)
{
    TextGenerator generator(0xDE7EC7u);
    std::vector<std::string> texts;
    for (int i = 0; i < 6000; ++i)
        texts.push_back(generator.lineText());
    compareAll(texts, {detectionScan()});
}

TEST(ScannerDifferential, PlainDecimalEdgesMatchFscanfAndSscanf)
{
    TextGenerator generator(0x9A1D3C5u);
    std::vector<std::string> texts;
    for (int i = 0; i < 20000; ++i)
        texts.push_back(generator.plainEdge());
    compareAll(texts, {
                          streamConversion<float>("%f", Comma::None),
                          streamConversion<float>("%f,%n", Comma::After),
                          stringConversion<float>("%f%n"),
                      });
    for (std::string& text : texts)
        text.insert(0, 1, ',');
    compareAll(texts, {streamConversion<float>(",%f", Comma::Before)});
}

// Long lines of pixel values, so that values straddle the stream's buffer
// ends, with now and then a value the in-place reader hands over, and a
// character that stops the line in some.
TEST(ScannerDifferential, PixelListsMatchRepeatedFscanf)
{
    TextGenerator generator(0x51C7u);
    SeededRandom<std::mt19937_64> rng(7);
    for (int line = 0; line < 40; ++line) {
        std::string text;
        const int values = 1500 + static_cast<int>(rng() % 1500);
        for (int i = 0; i < values; ++i) {
            text += rng() % 20 == 0 ? ", " : ",";
            text +=
                rng() % 10 == 0 ? generator.longPlain() : std::to_string(rng() % 70000) + (rng() % 3 == 0 ? ".5" : "");
            if (rng() % 40 == 0)
                text += "e-" + std::to_string(rng() % 40); // handed over to the full reader
        }
        // Most lines are complete; the others stop at a value that cannot be read.
        if (line % 4 == 3)
            text.insert(text.size() / 2 + rng() % 1000, 1, ';');
        text += "\r\n";

        MemoryStream reference(text);
        std::vector<uint64_t> expected;
        float v = 0;
        while (static_cast<int>(expected.size()) < values && std::fscanf(reference.get(), ",%f", &v) == 1)
            expected.push_back(bitsOf(v));

        MemoryStream ours(text);
        std::vector<float> read(static_cast<std::size_t>(values));
        int count;
        {
            StreamChars in(ours.get());
            count = scanCommaFloats(in, read.data(), values);
        }
        ASSERT_EQ(count, static_cast<int>(expected.size())) << "line " << line;
        EXPECT_EQ(count == values, line % 4 != 3) << "line " << line;
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(bitsOf(read[static_cast<std::size_t>(i)]), expected[static_cast<std::size_t>(i)])
                << "value " << i;
        EXPECT_EQ(ours.rest(), reference.rest()) << "line " << line;
    }
}
