// readSpectrum on text data lines.

#include "core/input_formats.h"

#include "log_capture.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

constexpr float UNTOUCHED = -12345.0f;

class TextSpectrumTest : public ::testing::Test {
protected:
    TextSpectrumTest() { pixels_.fill(UNTOUCHED); }

    int16_t read(MemoryStream& stream, int format)
    {
        return readSpectrum(record_, pixels_.data(), stream.get(), 0, format, log_.log());
    }

    SpectrumRecord record_{};
    // One guard value behind the buffer shows any store past its end.
    std::array<float, MAX_PIXELS + 1> pixels_;
    LogCapture log_{1};
};

// The 13 header values of a format 2 line.
std::vector<std::string> format2Header()
{
    return {"1234", "20.5", "12.25", "3.5", "0", "7", "2.5", "1.5", "2.25", "100", "800", "2", "3"};
}

std::string joined(const std::vector<std::string>& values, const std::string& separator = ",")
{
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i)
        line += (i > 0 ? separator : "") + values[i];
    return line;
}

} // namespace

TEST_F(TextSpectrumTest, Format1LineFillsTheRecordWithDefaultsForMissingFields)
{
    MemoryStream stream("1234,20.5,12.25,3.5,100,800,2,3,5.5,6.5,7.5\r\n");
    record_.channel = 4;
    record_.process = 3;
    record_.Do = 9.0f;
    ASSERT_EQ(read(stream, 1), 0);
    EXPECT_EQ(valueOf(record_.channel), 4);
    EXPECT_EQ(valueOf(record_.time), 1234);
    EXPECT_EQ(valueOf(record_.temp), 20.5f);
    EXPECT_EQ(valueOf(record_.volts), 12.25f);
    EXPECT_EQ(valueOf(record_.depth), 3.5f);
    EXPECT_EQ(valueOf(record_.process), 0);
    EXPECT_EQ(valueOf(record_.N), 1);
    EXPECT_EQ(valueOf(record_.scale), 1.0f);
    EXPECT_EQ(valueOf(record_.Do), 0.0f);
    EXPECT_EQ(valueOf(record_.Dt), 0.0f);
    EXPECT_EQ(valueOf(record_.intTime), 100);
    EXPECT_EQ(valueOf(record_.firstPix), 800);
    EXPECT_EQ(valueOf(record_.pixInc), 2);
    EXPECT_EQ(valueOf(record_.numPix), 3);
    EXPECT_EQ(pixels_[0], 5.5f);
    EXPECT_EQ(pixels_[1], 6.5f);
    EXPECT_EQ(pixels_[2], 7.5f);
    EXPECT_EQ(pixels_[3], UNTOUCHED);
    EXPECT_EQ(stream.rest(), "\r\n");
}

TEST_F(TextSpectrumTest, Format2LineReadsEveryFieldAndLogsTheDarkValues)
{
    MemoryStream stream(joined(format2Header()) + ",5.5,6.5,7.5\n");
    ASSERT_EQ(read(stream, 2), 0);
    EXPECT_EQ(valueOf(record_.process), 0);
    EXPECT_EQ(valueOf(record_.N), 7);
    EXPECT_EQ(valueOf(record_.scale), 2.5f);
    EXPECT_EQ(valueOf(record_.Do), 1.5f);
    EXPECT_EQ(valueOf(record_.Dt), 2.25f);
    EXPECT_EQ(valueOf(record_.intTime), 100);
    EXPECT_EQ(valueOf(record_.numPix), 3);
    EXPECT_EQ(pixels_[2], 7.5f);
    EXPECT_EQ(log_.texts(), (std::vector<std::string>{"Read Do:=1.500000 Dt:2.250000\n"}));
}

TEST_F(TextSpectrumTest, UnknownFormatReadsAsFormat1)
{
    MemoryStream stream("1,2,3,4,5,6,7,1,9\n");
    ASSERT_EQ(read(stream, 0), 0);
    EXPECT_EQ(valueOf(record_.intTime), 5);
    EXPECT_EQ(valueOf(record_.numPix), 1);
    EXPECT_EQ(pixels_[0], 9.0f);
}

TEST_F(TextSpectrumTest, EachFieldReportsItsOwnErrorNumber)
{
    const std::vector<std::string> header = format2Header();
    // No number, a sign without digits, a blank between number and comma.
    const std::vector<std::string> damages = {"x", "-", "blank"};
    for (std::size_t field = 0; field < header.size(); ++field) {
        for (const std::string& damage : damages) {
            std::vector<std::string> values = header;
            values[field] = damage == "blank" ? values[field] + " " : damage;
            SCOPED_TRACE("field " + std::to_string(field + 1) + ", " + damage);
            MemoryStream stream(joined(values) + ",5,6,7\n");
            // numPix has no comma of its own: a blank behind it fails the first pixel.
            const bool lastWithBlank = damage == "blank" && field == header.size() - 1;
            EXPECT_EQ(read(stream, 2), lastWithBlank ? 1 : static_cast<int>(field + 1));
        }
    }
}

TEST_F(TextSpectrumTest, Format1FieldsReportTheirErrorNumbers)
{
    const std::vector<std::string> line = {"1234", "20.5", "12.25", "3.5", "100", "800", "2", "3"};
    const int numbers[] = {1, 2, 3, 4, 10, 11, 12, 13};
    for (std::size_t field = 0; field < line.size(); ++field) {
        std::vector<std::string> values = line;
        values[field] = field == 0 ? "-x" : "x";
        SCOPED_TRACE("field " + std::to_string(field + 1));
        MemoryStream stream(joined(values) + ",5,6,7\n");
        EXPECT_EQ(read(stream, 1), numbers[field]);
    }
}

TEST_F(TextSpectrumTest, FieldsBeforeAFailureKeepTheirNewValues)
{
    MemoryStream stream("77,1.5,2.5,x\n");
    record_.depth = 9.0f;
    EXPECT_EQ(read(stream, 1), 4);
    EXPECT_EQ(valueOf(record_.time), 77);
    EXPECT_EQ(valueOf(record_.volts), 2.5f);
    EXPECT_EQ(valueOf(record_.depth), 9.0f);
}

TEST_F(TextSpectrumTest, CommaMustFollowTheNumberDirectly)
{
    MemoryStream spaced("12 ,3,4,5,6,7,8,0\n");
    EXPECT_EQ(read(spaced, 1), 1);
    MemoryStream blankAfterComma("12, 3,\t4,\r\n5, 6,7,8, 1, 9.5\n");
    ASSERT_EQ(read(blankAfterComma, 1), 0);
    EXPECT_EQ(valueOf(record_.time), 12);
    EXPECT_EQ(valueOf(record_.depth), 5.0f);
    EXPECT_EQ(pixels_[0], 9.5f);
}

TEST_F(TextSpectrumTest, IntegerFieldsKeepTheirLowBits)
{
    MemoryStream stream("4294967297,1,2,3,4294967396,40000,65535,1,8\n");
    ASSERT_EQ(read(stream, 1), 0);
    EXPECT_EQ(valueOf(record_.time), 1);
    EXPECT_EQ(valueOf(record_.intTime), 100);
    EXPECT_EQ(valueOf(record_.firstPix), -25536);
    EXPECT_EQ(valueOf(record_.pixInc), -1);

    MemoryStream wrapsToOne("1,1,2,3,4,5,6," + std::to_string(65536 + 1) + ",8\n");
    ASSERT_EQ(read(wrapsToOne, 1), 0);
    EXPECT_EQ(valueOf(record_.numPix), 1);
}

TEST_F(TextSpectrumTest, PixelCountsOutsideTheBufferAreRefusedBeforeAnyPixel)
{
    for (const std::string count : {"-1", "2049", "40000", "99999999999999999999"}) {
        SCOPED_TRACE(count);
        std::string line = "1,2,3,4,5,6,7," + count;
        for (int i = 0; i < 2049; ++i)
            line += ",1";
        MemoryStream stream(line + "\n");
        record_.numPix = 5;
        EXPECT_EQ(read(stream, 1), 13);
        EXPECT_EQ(valueOf(record_.numPix), 5);
        EXPECT_EQ(valueOf(record_.pixInc), 7);
        EXPECT_EQ(pixels_[0], UNTOUCHED);
        EXPECT_EQ(pixels_[MAX_PIXELS], UNTOUCHED);
    }
}

TEST_F(TextSpectrumTest, FullBufferIsAccepted)
{
    std::string line = "1,2,3,4,5,6,7,2048";
    for (int i = 0; i < 2048; ++i)
        line += "," + std::to_string(i);
    MemoryStream stream(line + "\n");
    ASSERT_EQ(read(stream, 1), 0);
    EXPECT_EQ(pixels_[2047], 2047.0f);
    EXPECT_EQ(pixels_[MAX_PIXELS], UNTOUCHED);
}

TEST_F(TextSpectrumTest, LineCutInItsPixelValuesReportsThePixel)
{
    MemoryStream stream("1,2,3,4,5,6,7,3,1.0,2.0\n8,");
    EXPECT_EQ(read(stream, 1), 1);
    EXPECT_EQ(log_.texts(), (std::vector<std::string>{"Error reading pixel 2\n"}));
    EXPECT_EQ(log_.errorBoxes(), (std::vector<std::string>{"Error reading pixel 2\n"}));

    MemoryStream cutInNumber("1,2,3,4,5,6,7,2,1.0,-");
    EXPECT_EQ(read(cutInNumber, 1), 1);
    EXPECT_EQ(log_.texts().back(), "Error reading pixel 1\n");
}

TEST_F(TextSpectrumTest, SpectrumMayContinueAfterALineBreakBehindAComma)
{
    MemoryStream stream("1,2,3,4,5,6,7,2,\n10,\r\n20\n");
    ASSERT_EQ(read(stream, 1), 0);
    EXPECT_EQ(pixels_[0], 10.0f);
    EXPECT_EQ(pixels_[1], 20.0f);
}

TEST_F(TextSpectrumTest, NonDataLinesArePassedOverBeforeAndBetweenSpectra)
{
    MemoryStream stream("Header, SN1\r\nChannel 1\r\n\r\n+5,1,2,3,4,5,6,1,7\r\n 6,1,2,3,4,5,6,1,7\r\n"
                        "10,1,2,3,4,5,6,1,7\r\n\r\nabc\r\n-6,1,2,3,4,5,6,1,8\r\n\r\nend\r\n");
    ASSERT_EQ(read(stream, 1), 0);
    EXPECT_EQ(valueOf(record_.time), 10);
    ASSERT_EQ(read(stream, 1), 0);
    EXPECT_EQ(valueOf(record_.time), -6);
    EXPECT_EQ(pixels_[0], 8.0f);
    EXPECT_EQ(read(stream, 1), 1);
    EXPECT_EQ(read(stream, 1), 1);
}

TEST_F(TextSpectrumTest, EndOfDataAndUnreadableTimeEndQuietly)
{
    for (const std::string& text : std::vector<std::string>{"", "\r\n\r\n", "no data here\n", std::string("\0\0\n", 3),
                                                            ".5,1,2,3,4,5,6,0\n", "-x,1,2,3,4,5,6,0\n", "-"}) {
        SCOPED_TRACE(text);
        MemoryStream stream(text);
        EXPECT_EQ(read(stream, 1), 1);
    }
    EXPECT_TRUE(log_.texts().empty());
}

TEST_F(TextSpectrumTest, NumberFormsOfTheCScannerAreAccepted)
{
    MemoryStream stream("1,-2.5e1,0x10,inf,+10,-3,1,3,nan,1e,.5e-1\n");
    ASSERT_EQ(read(stream, 1), 0);
    EXPECT_EQ(valueOf(record_.time), 1);
    EXPECT_EQ(valueOf(record_.temp), -25.0f);
    EXPECT_EQ(valueOf(record_.volts), 16.0f);
    EXPECT_TRUE(std::isinf(valueOf(record_.depth)));
    EXPECT_EQ(valueOf(record_.intTime), 10);
    EXPECT_EQ(valueOf(record_.firstPix), -3);
    EXPECT_TRUE(std::isnan(pixels_[0]));
    EXPECT_EQ(pixels_[1], 1.0f);
    EXPECT_EQ(pixels_[2], 0.05f);
}

// The resuming read gives readSpectrum's result for the same text, tells what
// it passed over and where, and goes on at the next line: with the spectrum a
// cut line swallowed read again.
TEST_F(TextSpectrumTest, ResumingReadClassifiesWhatItPassesOverAndGoesOnAtTheNextLine)
{
    struct Case {
        std::string passedOver;
        ReadOutcome outcome;
    };
    const std::vector<Case> cases = {
        {"123\r\n", ReadOutcome::NotSpectrum},
        {"2020-01-01 12:00 power glitch\n", ReadOutcome::NotSpectrum},
        {"-\r\n", ReadOutcome::NotSpectrum},
        {".\r\n", ReadOutcome::NotSpectrum},
        {"7,1.5,2\r\n", ReadOutcome::Damaged},
        {"7,1,2,3,100,0,1,3,4\r\n", ReadOutcome::Damaged},
        {"7,1,2,3,100,0,1,3,4,\r\n", ReadOutcome::Damaged},  // swallows 9 and 1 of the next line
        {"7,1,2,3,100,0,\r\n", ReadOutcome::Damaged},        // reads 9,1, as its last header values
        {"7,1,2,3,100,0,1,2,4,\r\n", ReadOutcome::Damaged}}; // fills up with 9, the rest left over
    const std::string next = "9,1,2,3,100,0,1,3,5,6,7\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.passedOver);
        const std::string text = "head\r\n" + c.passedOver + next;
        MemoryStream plain(text);
        const int16_t plainResult = read(plain, 1);
        MemoryStream stream(text);
        ResumeState state;
        const SpectrumRead passed =
            readSpectrumResuming(record_, pixels_.data(), stream.get(), 0, 1, log_.log(), state);
        EXPECT_EQ(passed.outcome, c.outcome);
        EXPECT_EQ(passed.result, plainResult);
        EXPECT_EQ(passed.offset, 6);
        const SpectrumRead following =
            readSpectrumResuming(record_, pixels_.data(), stream.get(), 0, 1, log_.log(), state);
        ASSERT_EQ(following.outcome, ReadOutcome::Spectrum);
        EXPECT_EQ(valueOf(record_.time), 9);
        EXPECT_EQ(pixels_[2], 7.0f);
        EXPECT_EQ(readSpectrumResuming(record_, pixels_.data(), stream.get(), 0, 1, log_.log(), state).outcome,
                  ReadOutcome::EndOfData);
    }
}

// Words after the last value of a spectrum on one line, a trailing comma, and
// a spectrum continued after a comma, are whole spectra as they always were.
TEST_F(TextSpectrumTest, ResumingReadTakesLegalLayoutsAsWholeSpectra)
{
    MemoryStream stream("1,1,2,3,100,0,1,2,4,5 and 6 notes,\r\n2,1,2,3,100,0,1,2,\r\n4,\r\n5  \r\n"
                        "3,1,2,3,100,0,1,2,4,5,");
    ResumeState state;
    for (const int time : {1, 2, 3}) {
        const SpectrumRead read = readSpectrumResuming(record_, pixels_.data(), stream.get(), 0, 1, log_.log(), state);
        ASSERT_EQ(read.outcome, ReadOutcome::Spectrum);
        EXPECT_EQ(read.result, 0);
        EXPECT_EQ(valueOf(record_.time), time);
        EXPECT_EQ(pixels_[1], 5.0f);
    }
    EXPECT_EQ(readSpectrumResuming(record_, pixels_.data(), stream.get(), 0, 1, log_.log(), state).outcome,
              ReadOutcome::EndOfData);
}
