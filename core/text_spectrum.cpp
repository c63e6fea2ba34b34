#include "core/text_spectrum.h"

#include "core/input_formats.h"
#include "core/line_end.h"
#include "core/line_position.h"
#include "core/log.h"
#include "core/number_scan.h"
#include "core/pixel_count.h"

#include <cctype>
#include <utility>

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

// How the read of one data line ended; missingPixel is the value that could
// not be read, if that stopped it (-1 otherwise).
struct LineRead {
    int16_t result;
    ReadOutcome outcome;
    int missingPixel;
};

// The spectrum whose data line starts at the stream position. A line that
// does not even start with "integer," (a bare number, a date, a lone '-' or
// '.') is no spectrum; one that does but fails later is a damaged spectrum.
// The time field cannot run over a line end, so the first kind always ends
// on its own line.
LineRead readDataLine(std::FILE* stream, SpectrumRecord& record, float* pixels, int format, const Log& log)
{
    TextFields fields(stream);
    if (const int16_t failed = readHeaderFields(fields, record, format, log))
        return {failed, failed == 1 ? ReadOutcome::NotSpectrum : ReadOutcome::Damaged, -1};
    const int read = fields.pixels(pixels, record.numPix);
    if (read < record.numPix)
        return {1, ReadOutcome::Damaged, read};
    return {0, ReadOutcome::Spectrum, -1};
}

// A line cut right after a comma takes its missing values from the next
// line, as a spectrum legally continued there would; the next spectrum then
// ends up partly swallowed, its rest left behind the one just read. So text
// left on the last line of a spectrum that ran over a line end means damage.
bool swallowedNextLine(std::FILE* stream, const std::fpos_t& start)
{
    return restOfLineHoldsText(stream) && lineEndSince(stream, start);
}

// Whether a number follows on this line, after blanks.
bool numberFollowsOnLine(std::FILE* stream)
{
    int c;
    do
        c = getc_unlocked(stream);
    while (c == ' ' || c == '\t');
    std::ungetc(c, stream);
    if (c == EOF || std::isspace(c))
        return false;
    StreamChars in(stream);
    float value;
    return scanFloat(in, value);
}

// Values after the last value of a spectrum on its own line: more values
// after a comma, or a spectrum after blanks. Either way a line end was lost
// and they are the next spectrum's, or its rest when its first value was
// glued to this one's last. Leaves the stream at them; else where it was.
// Blanks and words after the values are no values, as they never were.
bool valuesRunOn(std::FILE* stream)
{
    std::fpos_t here;
    if (std::fgetpos(stream, &here) != 0)
        return false;
    bool blanks = false;
    int c;
    while ((c = getc_unlocked(stream)) == ' ' || c == '\t')
        blanks = true;
    std::ungetc(c, stream);
    if (c == ',')
        getc_unlocked(stream);
    std::fpos_t values;
    bool runOn = false;
    if (std::fgetpos(stream, &values) == 0) {
        if (c == ',')
            runOn = numberFollowsOnLine(stream);
        else if (blanks && startsDataLine(c))
            runOn = startsSpectrum(stream);
    }
    std::fsetpos(stream, runOn ? &values : &here);
    return runOn;
}

// After a spectrum read whole: damaged when it swallowed part of the next
// line, or when values run on after it on its line (the stream then stands
// at them and state says so). The first test settles the usual case with
// one character.
ReadOutcome judgeWholeSpectrum(std::FILE* stream, const std::fpos_t& start, const SpectrumRecord& record,
                               ResumeState& state)
{
    const int c = getc_unlocked(stream);
    std::ungetc(c, stream);
    if (c == EOF || isLineEnd(c))
        return ReadOutcome::Spectrum;
    if (swallowedNextLine(stream, start))
        return ReadOutcome::Damaged;
    if (!valuesRunOn(stream))
        return ReadOutcome::Spectrum;
    state.runOn = true;
    state.ranOnFrom = record;
    return ReadOutcome::Damaged;
}

void reportMissingPixel(const LineRead& line, const Log& log, bool cutShort)
{
    if (line.missingPixel < 0)
        return;
    if (cutShort) // the one report of a cut last line is the file loop's
        log.message("Error reading pixel %d\n", line.missingPixel);
    else
        log.error("Error reading pixel %d\n", line.missingPixel);
}

// Values run on are known to be a spectrum's: one they do not make whole, or
// not of the pixel set they ran on from, is lost.
ReadOutcome judgeRunOn(const LineRead& line, const SpectrumRecord& record, const ResumeState& state)
{
    if (line.outcome == ReadOutcome::NotSpectrum ||
        (line.outcome == ReadOutcome::Spectrum && !samePixelSet(record, state.ranOnFrom)))
        return ReadOutcome::Damaged;
    return line.outcome;
}

// Leaves the stream at the line after the one a passed-over read began on. A
// spectrum the end of the file stopped, with nothing after its line, is the
// last one, cut short.
SpectrumRead passOverLine(std::FILE* stream, const std::fpos_t& start, const LineRead& line, ReadOutcome outcome,
                          const Log& log)
{
    const bool stoppedByTheEnd =
        line.outcome != ReadOutcome::Spectrum && outcome == ReadOutcome::Damaged && onlyWhiteSpaceLeft(stream);
    SpectrumRead read{line.result, outcome, skipLineFrom(stream, start)};
    if (stoppedByTheEnd && onlyWhiteSpaceLeft(stream))
        read.outcome = ReadOutcome::CutShort;
    reportMissingPixel(line, log, read.outcome == ReadOutcome::CutShort);
    return read;
}

} // namespace

int16_t readTextSpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream, int format, const Log& log)
{
    if (!findDataLine(stream))
        return 1;
    const LineRead line = readDataLine(stream, record, pixels, format, log);
    reportMissingPixel(line, log, false);
    return line.result;
}

SpectrumRead readTextSpectrumResuming(SpectrumRecord& record, float* pixels, std::FILE* stream, int format,
                                      const Log& log, ResumeState& state)
{
    const bool runOn = std::exchange(state.runOn, false);
    if (!runOn && !findDataLine(stream))
        return {1, ReadOutcome::EndOfData, -1};
    std::fpos_t start;
    const bool canGoBack = std::fgetpos(stream, &start) == 0;
    const LineRead line = readDataLine(stream, record, pixels, format, log);
    if (!canGoBack) { // a stream that cannot seek: go on after the line where the read stopped
        reportMissingPixel(line, log, false);
        if (line.outcome != ReadOutcome::Spectrum)
            skipToLineEnd(stream);
        return {line.result, line.outcome, -1};
    }
    ReadOutcome outcome = runOn ? judgeRunOn(line, record, state) : line.outcome;
    if (outcome == ReadOutcome::Spectrum)
        outcome = judgeWholeSpectrum(stream, start, record, state);
    if (outcome == ReadOutcome::Spectrum)
        return {0, outcome, -1};
    if (state.runOn) // the stream stands at the values run on
        return {line.result, outcome, offsetOf(stream, start)};
    return passOverLine(stream, start, line, outcome, log);
}

void skipToFirstSpectrumLine(std::FILE* stream)
{
    while (findDataLine(stream) && !startsSpectrum(stream))
        skipLine(stream);
}
