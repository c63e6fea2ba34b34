// The number scanners against the C library on arbitrary text. A run of
// conversions over a stream gives fscanf's successes, values (bit for bit)
// and stream position, through stream buffers of any size; over a string it
// ends where fscanf over the same text ends. What a conversion consumed reads
// back through strtof / strtol to the same value, and strtof stops where the
// scanner stopped but for the tails the scanner takes beyond it (an exponent
// mark without digits, the "x." of "0x."); a text strtof reads but the
// scanner refuses must be a bare "0x" or a broken "infinity".

#include "core/number_scan.h"
#include "fuzz_support.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// The conversions of the C formats the readers use.
enum class Conversion { Float, Long, Int, Short, CommaFloat, CommaFloats, COUNT };

constexpr int MAX_STEPS = 64;
// Stream buffer sizes: 0 leaves the library's own; the small ones split
// numbers across buffer ends, where the in-place reader must hand over.
constexpr std::size_t BUFFER_SIZES[] = {0, 1, 2, 3, 4, 5, 7, 8, 11, 13, 16, 23, 32, 64, 100, 4096};

struct Step {
    bool ok = false;
    uint64_t bits = 0;
    bool operator==(const Step&) const = default;
};

std::string printable(const std::string& text)
{
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return out;
}

std::string describe(const Step& step)
{
    char text[48];
    std::snprintf(text, sizeof text, step.ok ? "read 0x%llx" : "failed", static_cast<unsigned long long>(step.bits));
    return text;
}

[[noreturn]] void reportDifference(const char* what, const std::string& text, const std::string& library,
                                   const std::string& ours)
{
    std::fprintf(stderr, "%s on \"%s\": C library %s, scanner %s\n", what, printable(text).c_str(), library.c_str(),
                 ours.c_str());
    std::abort();
}

uint64_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

template <class T>
Step readValue(int assigned, T value)
{
    if constexpr (std::is_same_v<T, float>)
        return {assigned == 1, assigned == 1 ? bitsOf(value) : 0};
    else
        return {assigned == 1, assigned == 1 ? static_cast<uint64_t>(static_cast<int64_t>(value)) : 0};
}

Step libraryStep(std::FILE* stream, Conversion conversion)
{
    float f = 0;
    long l = 0;
    int i = 0;
    short s = 0;
    switch (conversion) {
    case Conversion::Float: return readValue(std::fscanf(stream, "%f", &f), f);
    case Conversion::Long: return readValue(std::fscanf(stream, "%ld", &l), l);
    case Conversion::Int: return readValue(std::fscanf(stream, "%d", &i), i);
    case Conversion::Short: return readValue(std::fscanf(stream, "%hd", &s), s);
    default: return readValue(std::fscanf(stream, ",%f", &f), f);
    }
}

template <class Chars>
Step scannerStep(Chars& in, Conversion conversion)
{
    float f = 0;
    int64_t n = 0;
    switch (conversion) {
    case Conversion::Float: return readValue(scanFloat(in, f) ? 1 : 0, f);
    case Conversion::Long: return readValue(scanInteger(in, n) ? 1 : 0, static_cast<long>(n));
    case Conversion::Int: return readValue(scanInteger(in, n) ? 1 : 0, low32(n));
    case Conversion::Short: return readValue(scanInteger(in, n) ? 1 : 0, low16(n));
    default: return readValue(matchChar(in, ',') && scanFloat(in, f) ? 1 : 0, f);
    }
}

// A stream over the text with the buffer size chosen.
class TextStream {
public:
    TextStream(const std::string& text, std::size_t bufferSize)
        : input_(reinterpret_cast<const uint8_t*>(text.data()), text.size())
    {
        if (bufferSize != 0 && std::setvbuf(input_.get(), nullptr, _IOFBF, bufferSize) != 0)
            std::abort();
    }
    std::FILE* get() const { return input_.get(); }
    std::string rest() const
    {
        std::string out;
        for (int c; (c = std::fgetc(input_.get())) != EOF;)
            out.push_back(static_cast<char>(c));
        return out;
    }

private:
    InputStream input_;
};

void compareRests(const std::string& text, const TextStream& library, const TextStream& ours)
{
    const std::string expected = library.rest();
    const std::string actual = ours.rest();
    if (expected != actual)
        reportDifference("unread rest", text, "leaves \"" + printable(expected) + "\"",
                         "leaves \"" + printable(actual) + "\"");
}

// Conversions until fscanf fails: one character source for the whole run,
// as the readers keep one per line, or a fresh one per conversion with the
// stream position compared after each.
void compareStreamRun(const std::string& text, Conversion conversion, bool sourcePerStep, std::size_t bufferSize)
{
    TextStream library(text, bufferSize);
    TextStream ours(text, bufferSize);
    {
        StreamChars shared(ours.get());
        for (int step = 0; step < MAX_STEPS; ++step) {
            const Step expected = libraryStep(library.get(), conversion);
            Step actual;
            if (sourcePerStep) {
                {
                    StreamChars in(ours.get());
                    actual = scannerStep(in, conversion);
                }
                if (std::ftell(library.get()) != std::ftell(ours.get()))
                    reportDifference("stream position", text, std::to_string(std::ftell(library.get())),
                                     std::to_string(std::ftell(ours.get())));
            } else {
                actual = scannerStep(shared, conversion);
            }
            if (!(expected == actual))
                reportDifference("conversion", text, describe(expected), describe(actual));
            if (!expected.ok)
                break;
        }
    }
    compareRests(text, library, ours);
}

// scanCommaFloats against fscanf(",%f") repeated.
void compareCommaFloats(const std::string& text, int count, std::size_t bufferSize)
{
    TextStream library(text, bufferSize);
    std::vector<uint64_t> expected;
    for (float v = 0; static_cast<int>(expected.size()) < count && std::fscanf(library.get(), ",%f", &v) == 1;)
        expected.push_back(bitsOf(v));

    TextStream ours(text, bufferSize);
    std::vector<float> values(static_cast<std::size_t>(count));
    int read;
    {
        StreamChars in(ours.get());
        read = scanCommaFloats(in, values.data(), count);
    }
    if (read != static_cast<int>(expected.size()))
        reportDifference("values read", text, std::to_string(expected.size()), std::to_string(read));
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (bitsOf(values[i]) != expected[i])
            reportDifference("pixel value", text, describe({true, expected[i]}), describe({true, bitsOf(values[i])}));
    compareRests(text, library, ours);
}

// Where the scanner stops beyond strtof: an exponent mark with at most its
// sign ("1e", "1e+", "0x1p-"), or the "x." after the "0" of "0x.".
bool acceptedTail(const char* tail)
{
    if ((*tail | 0x20) == 'e' || (*tail | 0x20) == 'p') {
        ++tail;
        if (*tail == '+' || *tail == '-')
            ++tail;
        return *tail == '\0';
    }
    return *tail == '\0' || ((tail[0] | 0x20) == 'x' && tail[1] == '.' && tail[2] == '\0');
}

void checkAgainstStrtof(const std::string& text, const char* start, const char* end, const Step& step)
{
    const std::string consumed(start, end);
    char* stop = nullptr;
    if (step.ok) {
        const float value = std::strtof(consumed.c_str(), &stop);
        if (bitsOf(value) != step.bits || !acceptedTail(stop))
            reportDifference("strtof of the consumed text", text,
                             describe({true, bitsOf(value)}) + " leaving \"" + printable(stop) + "\"", describe(step));
        return;
    }
    std::strtof(start, &stop);
    if (stop != start && (*stop | 0x20) != 'x' && (*stop | 0x20) != 'i')
        reportDifference("strtof of a refused text", text,
                         "read \"" + printable(std::string(start, static_cast<const char*>(stop))) + "\"",
                         describe(step));
}

void checkAgainstStrtol(const std::string& text, const char* start, const char* end, const Step& step)
{
    char* stop = nullptr;
    errno = 0;
    const long value = std::strtol(start, &stop, 10);
    const Step expected{stop != start, stop != start ? static_cast<uint64_t>(value) : 0};
    if (!(expected == step) || (step.ok && stop != end))
        reportDifference("strtol", text, describe(expected) + " to " + std::to_string(stop - start),
                         describe(step) + " to " + std::to_string(end - start));
}

// Conversions over the text up to its first NUL, as sscanf reads it: the
// position after each, failed ones included, is where fscanf over the same
// text stops; each conversion also agrees with strtof / strtol.
void compareStringRun(const std::string& whole, bool real)
{
    const std::string text = whole.c_str();
    const Conversion conversion = real ? Conversion::Float : Conversion::Long;
    TextStream library(text, 0);
    StringChars in(text.c_str());
    for (int step = 0; step < MAX_STEPS; ++step) {
        const Step expected = libraryStep(library.get(), conversion);
        const char* start = in.position();
        const Step actual = scannerStep(in, conversion);
        if (!(expected == actual))
            reportDifference("string conversion", text, describe(expected), describe(actual));
        const long offset = in.position() - text.c_str();
        if (std::ftell(library.get()) != offset)
            reportDifference("string position", text, std::to_string(std::ftell(library.get())),
                             std::to_string(offset));
        if (real)
            checkAgainstStrtof(text, start, in.position(), actual);
        else
            checkAgainstStrtol(text, start, in.position(), actual);
        if (!actual.ok)
            break;
    }
}

} // namespace

// The first byte chooses the conversion (low 3 bits), a character source per
// conversion (bit 3) and the stream buffer size (high 4 bits); the rest is
// the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto conversion = static_cast<Conversion>((data[0] & 7) % static_cast<int>(Conversion::COUNT));
    const bool sourcePerStep = (data[0] & 8) != 0;
    const std::size_t bufferSize = BUFFER_SIZES[data[0] >> 4];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (conversion == Conversion::CommaFloats)
        compareCommaFloats(text, sourcePerStep ? 3 : MAX_STEPS, bufferSize);
    else
        compareStreamRun(text, conversion, sourcePerStep, bufferSize);
    compareStringRun(text, conversion == Conversion::Float || conversion == Conversion::CommaFloat);
    return 0;
}
