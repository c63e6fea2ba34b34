// The scanners against glibc's own fscanf and sscanf on many generated texts,
// well-formed and malformed: same success, same value (bit for bit), and the
// stream left at the same place (the unread rest compared byte for byte).

#include "core/format_detection.h"
#include "core/number_scan.h"

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
    return "ok=" + std::to_string(o.ok) + " value=" + std::to_string(o.value) + " second=" +
           std::to_string(o.second) + " rest='" + printable(o.rest) + "'";
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

uint64_t valueBits(float v) { return bitsOf(v); }
uint64_t valueBits(long v) { return static_cast<uint64_t>(v); }
uint64_t valueBits(int v) { return static_cast<uint64_t>(static_cast<int64_t>(v)); }

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

private:
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
        case 3: mantissa.resize(std::min(mantissa.size(), shortLength - 1)); mantissa += "1"; break;
        default: break;
        }
        return sign() + mantissa + exponent;
    }

    std::string garbage() { return pick("0123456789.eEpPxX+-,nNaAiIfFtTyY( \t\n\r\xff", below(9)); }

    std::string token()
    {
        switch (below(9)) {
        case 0: case 1: return decimal();
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
        case 1: if (!text.empty()) text.erase(at, 1); break;
        default: if (!text.empty()) text[at] = pick(hard, 1)[0]; break;
        }
    }

    std::mt19937_64 rng_;
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
                differences.push_back(c.name + " on '" + printable(text) + "': glibc " +
                                      describe(expected) + ", ours " + describe(actual));
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
