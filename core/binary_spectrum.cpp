#include "core/binary_spectrum.h"

#include "core/input_formats.h"
#include "core/pixel_count.h"

namespace {

constexpr int RECORD_MARKER = 0x0F;

// Skips whatever lies before the next record; false at the end of the file.
bool findRecordMarker(std::FILE* stream)
{
    int c;
    do
        c = getc_unlocked(stream);
    while (c != EOF && c != RECORD_MARKER);
    if (c == EOF)
        return false;
    std::ungetc(c, stream);
    return true;
}

template <typename T>
bool readItem(std::FILE* stream, T& value)
{
    return readBigEndian(&value, sizeof value, 1, stream) == 1;
}

// Reads one item of the field's type and stores it; false when it is missing.
template <typename T, typename Store>
bool readField(std::FILE* stream, Store store)
{
    T value;
    if (!readItem(stream, value))
        return false;
    store(value);
    return true;
}

// The header fields after the marker; 0, or the number of the failed field.
int16_t readHeaderFields(std::FILE* s, SpectrumRecord& r)
{
    if (!readField<int32_t>(s, [&](int32_t v) { r.time = v; }))
        return 2;
    if (!readField<float>(s, [&](float v) { r.temp = v; }))
        return 3;
    if (!readField<float>(s, [&](float v) { r.volts = v; }))
        return 4;
    if (!readField<float>(s, [&](float v) { r.depth = v; }))
        return 5;
    if (!readField<int16_t>(s, [&](int16_t v) { r.process = v; }))
        return 6;
    if (!readField<int16_t>(s, [&](int16_t v) { r.N = v; }))
        return 7;
    if (!readField<float>(s, [&](float v) { r.scale = v; }))
        return 8;
    if (!readField<float>(s, [&](float v) { r.Do = v; }))
        return 9;
    if (!readField<float>(s, [&](float v) { r.Dt = v; }))
        return 10;
    if (!readField<int32_t>(s, [&](int32_t v) { r.intTime = v; }))
        return 11;
    if (!readField<int16_t>(s, [&](int16_t v) { r.firstPix = v; }))
        return 12;
    if (!readField<int16_t>(s, [&](int16_t v) { r.pixInc = v; }))
        return 13;
    // More values than the buffer holds, or fewer than none, are refused
    // like a count that could not be read.
    int16_t count;
    if (!readItem(s, count) || !acceptablePixelCount(count))
        return 14;
    r.numPix = count;
    return 0;
}

// Signed 16-bit raw counts, one at a time: 15 + i when count i is missing.
int16_t readRawCounts(std::FILE* stream, float* pixels, int count)
{
    for (int i = 0; i < count; ++i) {
        int16_t raw;
        if (!readItem(stream, raw))
            return static_cast<int16_t>(15 + i);
        pixels[i] = raw;
    }
    return 0;
}

} // namespace

int16_t readBinarySpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream)
{
    if (!findRecordMarker(stream))
        return 1;
    uint16_t markers;
    if (!readItem(stream, markers))
        return 1;
    if (const int16_t failed = readHeaderFields(stream, record))
        return failed;
    if (record.process == 0)
        return readRawCounts(stream, pixels, record.numPix);
    const auto count = static_cast<std::size_t>(record.numPix);
    return readBigEndian(pixels, sizeof(float), count, stream) == count ? 0 : 15;
}
