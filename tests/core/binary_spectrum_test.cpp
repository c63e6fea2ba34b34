// readSpectrum on big-endian binary records, and the byte-order reader.

#include "core/input_formats.h"

#include "binary_records.h"
#include "log_capture.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

constexpr float UNTOUCHED = -12345.0f;

class BinarySpectrumTest : public ::testing::Test {
protected:
    BinarySpectrumTest() { pixels_.fill(UNTOUCHED); }

    int16_t read(MemoryStream& stream) { return readSpectrum(record_, pixels_.data(), stream.get(), 1, 0, log_.log()); }

    SpectrumRecord record_{};
    std::array<float, MAX_PIXELS + 1> pixels_;
    LogCapture log_{1};
};

} // namespace

TEST_F(BinarySpectrumTest, RawRecordFillsEveryFieldAndSignedCounts)
{
    MemoryStream stream(rawRecord({}, {0xFFFF, 0x7FFF, 0x8000, 12}));
    record_.channel = 5;
    ASSERT_EQ(read(stream), 0);
    EXPECT_EQ(valueOf(record_.channel), 5);
    EXPECT_EQ(valueOf(record_.time), 0x01020304);
    EXPECT_EQ(valueOf(record_.temp), 20.5f);
    EXPECT_EQ(valueOf(record_.volts), 12.25f);
    EXPECT_EQ(valueOf(record_.depth), 3.5f);
    EXPECT_EQ(valueOf(record_.process), 0);
    EXPECT_EQ(valueOf(record_.N), 7);
    EXPECT_EQ(valueOf(record_.scale), 2.5f);
    EXPECT_EQ(valueOf(record_.Do), 1.5f);
    EXPECT_EQ(valueOf(record_.Dt), 2.25f);
    EXPECT_EQ(valueOf(record_.intTime), 100);
    EXPECT_EQ(valueOf(record_.firstPix), 800);
    EXPECT_EQ(valueOf(record_.pixInc), 2);
    EXPECT_EQ(valueOf(record_.numPix), 4);
    EXPECT_EQ(pixels_[0], -1.0f);
    EXPECT_EQ(pixels_[1], 32767.0f);
    EXPECT_EQ(pixels_[2], -32768.0f);
    EXPECT_EQ(pixels_[3], 12.0f);
    EXPECT_EQ(pixels_[4], UNTOUCHED);
    EXPECT_EQ(read(stream), 1);
    EXPECT_TRUE(log_.texts().empty());
}

TEST_F(BinarySpectrumTest, ProcessedRecordCarriesFloats)
{
    RecordFields fields;
    fields.time = -5;
    fields.firstPix = -25536;
    MemoryStream stream(floatRecord(fields, {1.5f, -2.25f, 1e30f}));
    ASSERT_EQ(read(stream), 0);
    EXPECT_EQ(valueOf(record_.time), -5);
    EXPECT_EQ(valueOf(record_.process), 3);
    EXPECT_EQ(valueOf(record_.firstPix), -25536);
    EXPECT_EQ(pixels_[0], 1.5f);
    EXPECT_EQ(pixels_[1], -2.25f);
    EXPECT_EQ(pixels_[2], 1e30f);
}

TEST_F(BinarySpectrumTest, JunkBetweenRecordsIsSkipped)
{
    RecordFields second;
    second.time = 99;
    MemoryStream stream("Header, SN1\r\nChannel 2\r\n" + rawRecord({}, {1, 2}) + "\r\n\x01\xFF" +
                        floatRecord(second, {4.0f}) + "\r\n");
    ASSERT_EQ(read(stream), 0);
    EXPECT_EQ(pixels_[1], 2.0f);
    ASSERT_EQ(read(stream), 0);
    EXPECT_EQ(valueOf(record_.time), 99);
    EXPECT_EQ(pixels_[0], 4.0f);
    EXPECT_EQ(read(stream), 1);
}

TEST_F(BinarySpectrumTest, MarkerByteInsideJunkStartsARecord)
{
    // The junk's 0x0F and the real marker become the two marker bytes, so
    // every field is read one byte early (pixInc 0 makes numPix read as 0).
    RecordFields fields;
    fields.pixInc = 0;
    MemoryStream stream("\r\n\x0F" + rawRecord(fields, {}));
    ASSERT_EQ(read(stream), 0);
    EXPECT_EQ(valueOf(record_.time), 0x5A010203);
    EXPECT_EQ(valueOf(record_.numPix), 0);
    EXPECT_EQ(read(stream), 1);
}

TEST_F(BinarySpectrumTest, TruncatedRecordsReportTheMissingField)
{
    const std::string whole = rawRecord({}, {1, 2, 3});
    // Offset at which each field starts, and its error number; the record
    // is cut at the field's first and at its last byte.
    const std::vector<std::pair<std::size_t, int>> fields = {
        {0, 1},   {2, 2},   {6, 3},   {10, 4},  {14, 5},  {18, 6},  {20, 7},  {22, 8},  {26, 9},
        {30, 10}, {34, 11}, {38, 12}, {40, 13}, {42, 14}, {44, 15}, {46, 16}, {48, 17}, {50, 0},
    };
    for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
        const auto [start, number] = fields[i];
        for (const std::size_t cut : {start, fields[i + 1].first - 1}) {
            SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes");
            MemoryStream stream(whole.substr(0, cut));
            EXPECT_EQ(read(stream), number);
        }
    }
    MemoryStream complete(whole);
    EXPECT_EQ(read(complete), 0);
}

TEST_F(BinarySpectrumTest, CutRecordKeepsWhatWasReadAndConsumesTheRest)
{
    RecordFields fields;
    fields.time = 77;
    fields.depth = 9.5f;
    const std::string header = recordHeader(fields);
    MemoryStream cutInDepth(header.substr(0, 16));
    EXPECT_EQ(read(cutInDepth), 5);
    EXPECT_EQ(valueOf(record_.time), 77);
    EXPECT_EQ(valueOf(record_.volts), 12.25f);
    EXPECT_NE(valueOf(record_.depth), 9.5f);
    EXPECT_EQ(cutInDepth.rest(), "");

    // Raw count 2 is cut after its first byte: counts 0 and 1 are stored.
    const std::string raw = rawRecord({}, {0xFFFF, 0x7FFF, 0x0102, 4});
    MemoryStream cutInCounts(raw.substr(0, 44 + 5));
    EXPECT_EQ(read(cutInCounts), 17);
    EXPECT_EQ(pixels_[0], -1.0f);
    EXPECT_EQ(pixels_[1], 32767.0f);
    EXPECT_EQ(pixels_[2], UNTOUCHED);
    EXPECT_EQ(cutInCounts.rest(), "");
}

TEST_F(BinarySpectrumTest, TruncatedFloatValuesReport15)
{
    const std::string whole = floatRecord({}, {1.0f, 2.0f, 3.0f});
    for (const std::size_t missing : {1u, 4u, 11u, 12u}) {
        SCOPED_TRACE(missing);
        MemoryStream stream(whole.substr(0, whole.size() - missing));
        EXPECT_EQ(read(stream), 15);
    }
}

TEST_F(BinarySpectrumTest, PixelCountsOutsideTheBufferAreRefused)
{
    for (const int16_t count : {int16_t{-1}, int16_t{2049}, int16_t{32767}}) {
        SCOPED_TRACE(count);
        RecordFields fields;
        fields.process = 3;
        fields.numPix = count;
        MemoryStream stream(recordHeader(fields) + std::string(4 * 2100, '\x41'));
        record_.numPix = 5;
        EXPECT_EQ(read(stream), 14);
        EXPECT_EQ(valueOf(record_.numPix), 5);
        EXPECT_EQ(valueOf(record_.pixInc), 2);
        EXPECT_EQ(pixels_[0], UNTOUCHED);
        EXPECT_EQ(pixels_[MAX_PIXELS], UNTOUCHED);
    }
}

TEST_F(BinarySpectrumTest, FullBufferIsAccepted)
{
    MemoryStream stream(floatRecord({}, std::vector<float>(MAX_PIXELS, 8.0f)));
    ASSERT_EQ(read(stream), 0);
    EXPECT_EQ(pixels_[MAX_PIXELS - 1], 8.0f);
    EXPECT_EQ(pixels_[MAX_PIXELS], UNTOUCHED);
}

TEST(ReadBigEndian, SwapsTwoAndFourByteItemsOnlyWhenAllWereRead)
{
    MemoryStream stream(std::string("\x12\x34\x56\x78\x9A\xBC\x01\x02\x03\x04\x05\x06\x07\x08\xAA", 15));
    uint16_t shorts[2];
    ASSERT_EQ(readBigEndian(shorts, 2, 2, stream.get()), 2u);
    EXPECT_EQ(shorts[0], 0x1234);
    EXPECT_EQ(shorts[1], 0x5678);
    uint32_t word;
    unsigned char asRead[2];
    ASSERT_EQ(readBigEndian(asRead, 1, 2, stream.get()), 2u);
    EXPECT_EQ(asRead[0], 0x9A);
    unsigned char eight[8];
    ASSERT_EQ(readBigEndian(eight, 8, 1, stream.get()), 1u);
    EXPECT_EQ(eight[0], 0x01);
    EXPECT_EQ(eight[7], 0x08);
    EXPECT_EQ(readBigEndian(&word, 4, 1, stream.get()), 0u);
    EXPECT_EQ(readBigEndian(&word, 4, 0, stream.get()), 0u);

    MemoryStream partial(std::string("\x00\x01\x00\x02\x00", 5));
    uint16_t three[3] = {0, 0, 0};
    EXPECT_EQ(readBigEndian(three, 2, 3, partial.get()), 2u);
    EXPECT_EQ(three[0], 0x0100); // left in file order
}

TEST(SkipLine, ConsumesThroughTheFirstLineEnd)
{
    MemoryStream crlf("abc\r\nnext");
    skipLine(crlf.get());
    EXPECT_EQ(crlf.rest(), "\nnext");
    MemoryStream lf("\nnext");
    skipLine(lf.get());
    EXPECT_EQ(lf.rest(), "next");
    MemoryStream noEnd("abc");
    skipLine(noEnd.get());
    EXPECT_EQ(noEnd.rest(), "");
}
