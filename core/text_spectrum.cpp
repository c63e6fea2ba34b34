#include "core/text_spectrum.h"

#include "core/input_formats.h"
#include "core/line_end.h"
#include "core/line_position.h"
#include "core/log.h"
#include "core/number_scan.h"
#include "core/pixel_count.h"

namespace {

bool startsDataLine(int c)
{
    return c == '.' || c == '-' || (c >= '0' && c <= '9');
}

// Passes over every line that does not start like a number; false at the end.
bool findDataLine(std::FILE* stream)
{
    for (;;) {
        const int c = getc_unlocked(stream);
        if (c == EOF)
            return false;
        std::ungetc(c, stream);
        if (startsDataLine(c))
            return true;
        skipLine(stream);
    }
}

// Whether the data line at the stream position starts with "integer,", as
// every spectrum does; the position is unchanged.
bool startsSpectrum(std::FILE* stream)
{
    std::fpos_t here;
    if (std::fgetpos(stream, &here) != 0)
        return true; // cannot look ahead: taken as it comes
    bool starts;
    {
        StreamChars in(stream);
        int64_t time;
        starts = scanInteger(in, time) && matchChar(in, ',');
    }
    std::fsetpos(stream, &here);
    return starts;
}

// The conversions of a data line: "%ld," and "%d," (integer), "%f," (real),
// the final "%d" of numPix (lastInteger) and ",%f" (pixels).
class TextFields {
public:
    explicit TextFields(std::FILE* stream) : in_(stream) {}

    bool integer(int64_t& value) { return scanInteger(in_, value) && matchChar(in_, ','); }
    bool real(float& value) { return scanFloat(in_, value) && matchChar(in_, ','); }
    bool lastInteger(int64_t& value) { return scanInteger(in_, value); }
    // Of count pixel values, how many could be read.
    int pixels(float* values, int count) { return scanCommaFloats(in_, values, count); }

private:
    StreamChars in_;
};

// Fields 5 to 9, or the values format 1 stands for.
int16_t readDarkFields(TextFields& fields, SpectrumRecord& record, int format, const Log& log)
{
    if (format != 2) {
        record.process = 0;
        record.N = 1;
        record.scale = 1.0f;
        record.Do = 0.0f;
        record.Dt = 0.0f;
        return 0;
    }
    int64_t integer;
    float real;
    if (!fields.integer(integer))
        return 5;
    record.process = low16(integer);
    if (!fields.integer(integer))
        return 6;
    record.N = low16(integer);
    if (!fields.real(real))
        return 7;
    record.scale = real;
    if (!fields.real(real))
        return 8;
    record.Do = real;
    if (!fields.real(real))
        return 9;
    record.Dt = real;
    log.debug("Read Do:=%f Dt:%f\n", static_cast<double>(record.Do), static_cast<double>(record.Dt));
    return 0;
}

// Everything before the pixel values; 0, or the number of the failed field.
int16_t readHeaderFields(TextFields& fields, SpectrumRecord& record, int format, const Log& log)
{
    int64_t integer;
    float real;
    if (!fields.integer(integer))
        return 1;
    record.time = low32(integer);
    if (!fields.real(real))
        return 2;
    record.temp = real;
    if (!fields.real(real))
        return 3;
    record.volts = real;
    if (!fields.real(real))
        return 4;
    record.depth = real;
    if (const int16_t failed = readDarkFields(fields, record, format, log))
        return failed;
    if (!fields.integer(integer))
        return 10;
    record.intTime = low32(integer);
    if (!fields.integer(integer))
        return 11;
    record.firstPix = low16(integer);
    if (!fields.integer(integer))
        return 12;
    record.pixInc = low16(integer);
    // More values than the buffer holds, or fewer than none, are refused
    // like a count that could not be read.
    if (!fields.lastInteger(integer) || !acceptablePixelCount(low16(integer)))
        return 13;
    record.numPix = low16(integer);
    return 0;
}

// The spectrum whose data line starts at the stream position. A line that
// does not even start with "integer," (a bare number, a date, a lone '-' or
// '.') is no spectrum; one that does but fails later is a damaged spectrum.
// The time field cannot run over a line end, so the first kind always ends
// on its own line.
SpectrumRead readDataLine(std::FILE* stream, SpectrumRecord& record, float* pixels, int format, const Log& log)
{
    TextFields fields(stream);
    if (const int16_t failed = readHeaderFields(fields, record, format, log))
        return {failed, failed == 1 ? ReadOutcome::NotSpectrum : ReadOutcome::Damaged, -1};
    const int read = fields.pixels(pixels, record.numPix);
    if (read < record.numPix) {
        log.error("Error reading pixel %d\n", read);
        return {1, ReadOutcome::Damaged, -1};
    }
    return {0, ReadOutcome::Spectrum, -1};
}

// A line cut right after a comma takes its missing values from the next
// line, as a spectrum legally continued there would; the next spectrum then
// ends up partly swallowed, its rest left behind the one just read. So values
// left on the last line of a spectrum that ran over a line end mean damage.
// A spectrum on one line may carry anything after its values, as it always
// could. The first test settles the usual case with one character.
bool swallowedNextLine(std::FILE* stream, const std::fpos_t& start)
{
    const int c = getc_unlocked(stream);
    if (c == EOF)
        return false;
    std::ungetc(c, stream);
    return !isLineEnd(c) && restOfLineHoldsText(stream) && lineEndSince(stream, start);
}

} // namespace

int16_t readTextSpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream, int format, const Log& log)
{
    if (!findDataLine(stream))
        return 1;
    return readDataLine(stream, record, pixels, format, log).result;
}

SpectrumRead readTextSpectrumResuming(SpectrumRecord& record, float* pixels, std::FILE* stream, int format,
                                      const Log& log)
{
    if (!findDataLine(stream))
        return {1, ReadOutcome::EndOfData, -1};
    std::fpos_t start;
    const bool canGoBack = std::fgetpos(stream, &start) == 0;
    SpectrumRead read = readDataLine(stream, record, pixels, format, log);
    if (!canGoBack) { // a stream that cannot seek: go on after the line where the read stopped
        if (read.outcome != ReadOutcome::Spectrum)
            skipToLineEnd(stream);
        return read;
    }
    if (read.outcome == ReadOutcome::Spectrum && swallowedNextLine(stream, start))
        read.outcome = ReadOutcome::Damaged;
    if (read.outcome != ReadOutcome::Spectrum)
        read.lineOffset = skipLineFrom(stream, start);
    return read;
}

void skipToFirstSpectrumLine(std::FILE* stream)
{
    while (findDataLine(stream) && !startsSpectrum(stream))
        skipLine(stream);
}
