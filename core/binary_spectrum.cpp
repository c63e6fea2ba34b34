#include "core/binary_spectrum.h"

#include "core/binary_record_layout.h"
#include "core/binary_resync.h"
#include "core/input_formats.h"

namespace {

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

// The header as read in one block; the fields are taken from it in order,
// and a field the block does not wholly hold counts as not read. A file
// that ends inside the header is thus read to its end, cut field included.
class HeaderBytes {
public:
    explicit HeaderBytes(std::FILE* stream) : available_(std::fread(bytes_, 1, RECORD_HEADER_SIZE, stream)) {}

    bool hasMarkers() const { return available_ >= RECORD_MARKER_SIZE; }

    template <typename T>
    bool next(T& value)
    {
        if (offset_ + sizeof value > available_)
            return false;
        value = loadBigEndian<T>(bytes_ + offset_);
        offset_ += sizeof value;
        return true;
    }

private:
    unsigned char bytes_[RECORD_HEADER_SIZE];
    std::size_t available_;
    std::size_t offset_ = RECORD_MARKER_SIZE;
};

// Takes the next item of the field's type and stores it; false when missing.
template <typename T, typename Store>
bool readField(HeaderBytes& h, Store store)
{
    T value;
    if (!h.next(value))
        return false;
    store(value);
    return true;
}

// The header fields after the marker; 0, or the number of the failed field.
int16_t readHeaderFields(HeaderBytes& h, SpectrumRecord& r)
{
    if (!readField<int32_t>(h, [&](int32_t v) { r.time = v; }))
        return 2;
    if (!readField<float>(h, [&](float v) { r.temp = v; }))
        return 3;
    if (!readField<float>(h, [&](float v) { r.volts = v; }))
        return 4;
    if (!readField<float>(h, [&](float v) { r.depth = v; }))
        return 5;
    if (!readField<int16_t>(h, [&](int16_t v) { r.process = v; }))
        return 6;
    if (!readField<int16_t>(h, [&](int16_t v) { r.N = v; }))
        return 7;
    if (!readField<float>(h, [&](float v) { r.scale = v; }))
        return 8;
    if (!readField<float>(h, [&](float v) { r.Do = v; }))
        return 9;
    if (!readField<float>(h, [&](float v) { r.Dt = v; }))
        return 10;
    if (!readField<int32_t>(h, [&](int32_t v) { r.intTime = v; }))
        return 11;
    if (!readField<int16_t>(h, [&](int16_t v) { r.firstPix = v; }))
        return 12;
    if (!readField<int16_t>(h, [&](int16_t v) { r.pixInc = v; }))
        return 13;
    // More values than the buffer holds, or fewer than none, are refused
    // like a count that could not be read.
    int16_t count;
    if (!h.next(count) || !acceptablePixelCount(count))
        return 14;
    r.numPix = count;
    return 0;
}

// Signed 16-bit raw counts, read in one block: 0, or 15 + i when count i is
// missing (the counts before it are kept).
int16_t readRawCounts(std::FILE* stream, float* pixels, int count)
{
    unsigned char bytes[2 * MAX_PIXELS];
    const std::size_t wanted = 2 * static_cast<std::size_t>(count);
    const std::size_t read = std::fread(bytes, 1, wanted, stream);
    const int whole = static_cast<int>(read / 2);
    for (int i = 0; i < whole; ++i)
        pixels[i] = loadBigEndian<int16_t>(bytes + 2 * i);
    return read < wanted ? static_cast<int16_t>(15 + whole) : 0;
}

// The record whose marker is at the stream position: 0, or the number of
// what could not be read (1 when not even the marker bytes were there).
int16_t readRecord(SpectrumRecord& record, float* pixels, std::FILE* stream)
{
    HeaderBytes header(stream);
    if (!header.hasMarkers())
        return 1;
    if (const int16_t failed = readHeaderFields(header, record))
        return failed;
    if (record.process == 0)
        return readRawCounts(stream, pixels, record.numPix);
    const auto count = static_cast<std::size_t>(record.numPix);
    return readBigEndian(pixels, sizeof(float), count, stream) == count ? 0 : 15;
}

// After a record read whole: whether it ran into a confirmed record inside
// it, its declared length too long for it (bytes of it went missing).
// Followed by what may follow a record (the next header, or the end of the
// file), its length holds; anything else may be junk between records, or
// the middle of the next one. Leaves the stream at the
// record found, or where it was.
bool ranIntoNextRecord(std::FILE* stream, long start)
{
    const long end = std::ftell(stream);
    if (end < 0)
        return false;
    const long next = whatFollows(stream) == AfterRecord::Other ? findConfirmedRecord(stream, start + 1, end) : -1;
    std::fseek(stream, next >= 0 ? next : end, SEEK_SET);
    return next >= 0;
}

// A record that could not be read, at start: the read goes on at the next
// confirmed record, or ends. Cut by the end of the file with no
// record after it, it was the last one.
SpectrumRead passOverDamage(std::FILE* stream, long start, int16_t result)
{
    const bool reachedEnd = std::feof(stream) != 0;
    const long next = findConfirmedRecord(stream, start + 1, -1);
    if (next >= 0) {
        std::fseek(stream, next, SEEK_SET);
        return {result, ReadOutcome::Damaged, start};
    }
    std::fseek(stream, 0, SEEK_END);
    return {result, reachedEnd ? ReadOutcome::CutShort : ReadOutcome::Damaged, start};
}

} // namespace

int16_t readBinarySpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream)
{
    if (!findRecordMarker(stream))
        return 1;
    return readRecord(record, pixels, stream);
}

SpectrumRead readBinarySpectrumResuming(SpectrumRecord& record, float* pixels, std::FILE* stream)
{
    if (!findRecordMarker(stream))
        return {1, ReadOutcome::EndOfData, -1};
    const long start = std::ftell(stream);
    const int16_t result = readRecord(record, pixels, stream);
    // A processing level no record can carry shows the marker was none.
    if (result != 0 || !possibleProcessLevel(record.process))
        return passOverDamage(stream, start, result);
    if (ranIntoNextRecord(stream, start))
        return {0, ReadOutcome::Damaged, start};
    return {0, ReadOutcome::Spectrum, start};
}
