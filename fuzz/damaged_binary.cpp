#include "damaged_binary.h"

#include "binary_records.h"
#include "fuzz_support.h"

#include <algorithm>

namespace {

constexpr char MARKER = 0x0F;

// 0x09 or more, and often a marker byte.
char contentByte(ByteSource& bytes)
{
    const unsigned b = bytes.take();
    return b % 8 == 0 ? MARKER : static_cast<char>(0x09 + b % 247);
}

// A record of processed values, level 1 to 4, of no value or 2 to 32 values.
// A record of one value right before the next would put a level-like pair of
// bytes 24 bytes before a count-like pair: a valid header that is not one.
std::string record(ByteSource& bytes)
{
    std::string out(1, MARKER);
    const char second = contentByte(bytes);
    out.push_back(second == MARKER ? '\x10' : second);
    for (int k = 2; k < 42; ++k)
        out.push_back(contentByte(bytes));
    out[18] = '\0';
    out[19] = static_cast<char>(1 + bytes.take() % 4);
    unsigned numPix = bytes.take() % 33;
    if (numPix == 1)
        numPix = 0;
    out.push_back('\0');
    out.push_back(static_cast<char>(numPix));
    for (unsigned k = 0; k < 4 * numPix; ++k)
        out.push_back(contentByte(bytes));
    return out;
}

} // namespace

bool DamagedBinary::whole(std::size_t i) const
{
    return at + removed <= starts[i] || at >= ends[i];
}

bool DamagedBinary::markerIn(std::size_t i, std::size_t& offset) const
{
    offset = starts[i];
    if (offset < at)
        return true;
    if (offset < at + removed)
        return false;
    offset = offset - removed + inserted;
    return true;
}

bool DamagedBinary::touchesDamage(std::size_t first, std::size_t last) const
{
    return first <= at + inserted && last >= at;
}

DamagedBinary buildDamagedBinary(const uint8_t* data, std::size_t size)
{
    ByteSource bytes(data, size);
    DamagedBinary built;
    const unsigned count = 1 + bytes.take() % 6;
    static const char* const LINE_ENDS[] = {"", "\r\n", "\n", "\r"};
    const std::string lineEnd = LINE_ENDS[bytes.take() % 4];
    for (unsigned i = 0; i < count; ++i) {
        built.starts.push_back(built.records.size());
        built.records += record(bytes);
        built.ends.push_back(built.records.size());
        built.records += lineEnd;
    }
    const unsigned kind = bytes.take() % 4; // none, removed, put in, overwritten
    const unsigned low = bytes.take();
    built.at = (low | bytes.take() << 8) % (built.records.size() + 1);
    const std::size_t length = kind == 0 ? 0 : 1 + bytes.take() % 100;
    built.removed = kind == 1 || kind == 3 ? std::min(length, built.records.size() - built.at) : 0;
    std::string put;
    if (kind >= 2)
        for (std::size_t k = 0; k < length; ++k)
            put.push_back(static_cast<char>(bytes.take()));
    built.inserted = put.size();
    built.damaged = built.records;
    built.damaged.replace(built.at, built.removed, put);
    return built;
}

std::size_t recordLength(const SpectrumRecord& record)
{
    return 44 + (record.process == 0 ? 2 : 4) * static_cast<std::size_t>(record.numPix);
}

bool readFrom(const std::string& bytes, std::size_t offset, const SpectrumRecord& record, const float* values)
{
    // The second marker byte is read and dropped: it is not compared.
    const std::string expected = instrumentBytes(record, values);
    return offset + 2 + expected.size() <= bytes.size() && bytes[offset] == MARKER &&
           bytes.compare(offset + 2, expected.size(), expected) == 0;
}

bool layoutGoesOn(const std::string& bytes, std::size_t offset, bool cutHeaders)
{
    for (int i = 0; i < 2 && offset < bytes.size() && (bytes[offset] == '\r' || bytes[offset] == '\n'); ++i)
        ++offset;
    if (offset == bytes.size())
        return true;
    if (bytes[offset] != MARKER)
        return false;
    if (offset + 44 > bytes.size())
        return cutHeaders;
    const auto pair = [&](std::size_t at) {
        return static_cast<int16_t>(static_cast<unsigned char>(bytes[offset + at]) << 8 |
                                    static_cast<unsigned char>(bytes[offset + at + 1]));
    };
    return pair(18) >= 0 && pair(18) <= 4 && pair(42) >= 0 && pair(42) <= MAX_PIXELS;
}
