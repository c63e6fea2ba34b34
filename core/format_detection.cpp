#include "core/format_detection.h"

#include "core/input_formats.h"
#include "core/log.h"
#include "core/text_spectrum.h"

namespace {

constexpr int DETECTION_VALUES = 13;
// A count the first data line does not have.
constexpr int16_t NO_COUNT = -1;

bool isSpace(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int countCommasToSpace(StreamChars& in)
{
    int commas = 0;
    for (int c = in.get(); c != EOF && !isSpace(c); c = in.get())
        if (c == ',')
            ++commas;
    return commas;
}

struct LineCounts {
    int16_t count8 = NO_COUNT;
    int16_t count13 = NO_COUNT;
    int commaCount = 0;
};

LineCounts countFirstDataLine(std::FILE* stream)
{
    StreamChars in(stream);
    LineCounts counts;
    float value8 = 0.0f;
    float value13 = 0.0f;
    const int stored = scanDetectionValues(in, value8, value13);
    if (stored >= 1)
        counts.count8 = countFromValue(value8);
    if (stored == 2)
        counts.count13 = countFromValue(value13);
    counts.commaCount = countCommasToSpace(in);
    return counts;
}

} // namespace

int scanDetectionValues(StreamChars& in, float& value8, float& value13)
{
    int stored = 0;
    for (int field = 1; field <= DETECTION_VALUES; ++field) {
        float value;
        if ((field > 1 && !matchChar(in, ',')) || !scanFloat(in, value))
            break;
        if (field == 8) {
            value8 = value;
            stored = 1;
        } else if (field == DETECTION_VALUES) {
            value13 = value;
            stored = 2;
        }
    }
    return stored;
}

int16_t countFromValue(float value)
{
    const double real = value;
    if (!(real > -2147483649.0 && real < 2147483648.0))
        return NO_COUNT;
    return low16(static_cast<int32_t>(real));
}

int detectFileFormat(std::FILE* stream, const Log& log)
{
    const long position = std::ftell(stream);
    log.debug("pos: %ld\n", position);
    const LineCounts counts = countFirstDataLine(stream);
    log.debug("pixelCounts: %d %d\n", counts.count8, counts.count13);
    log.debug("commaCount: %d\n", counts.commaCount);
    std::fseek(stream, position, SEEK_SET);

    // Format 2 carries numPix 13th, with one comma per pixel value after it;
    // format 1 carries it 8th, with its first five pixel values before the 13th.
    if (counts.commaCount == counts.count13)
        return 2;
    if (counts.count8 == counts.commaCount + 5)
        return 1;
    log.error("Unknown file format.\n");
    return 0;
}

int detectSpectrumFormat(std::FILE* stream, const Log& log)
{
    std::fpos_t here;
    if (std::fgetpos(stream, &here) != 0)
        return detectFileFormat(stream, log);
    skipToFirstSpectrumLine(stream);
    const int format = detectFileFormat(stream, log);
    std::fsetpos(stream, &here);
    return format;
}
