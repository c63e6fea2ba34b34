// detectFileFormat: which text layout the first data line uses.

#include "core/format_detection.h"
#include "core/input_formats.h"

#include "log_capture.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Header values followed by pixel values 1, 2, 3, ...
std::string dataLine(const std::vector<std::string>& header, int pixelCount)
{
    std::string line;
    for (std::size_t i = 0; i < header.size(); ++i)
        line += (i > 0 ? "," : "") + header[i];
    for (int i = 1; i <= pixelCount; ++i)
        line += "," + std::to_string(i);
    return line + "\r\n";
}

const std::vector<std::string> FORMAT1_HEADER = {"1234", "20.5", "12.1", "3.3", "100", "800", "1", "20"};
const std::vector<std::string> FORMAT2_HEADER = {"1234", "20.5", "12.1", "3.3", "0", "1", "1.0",
                                                 "0",    "0",    "100",  "800", "1", "20"};

class FormatDetectionTest : public ::testing::Test {
protected:
    // Detects the format of the data after a header line, and checks the
    // stream comes back to where it was.
    int detect(const std::string& data)
    {
        MemoryStream stream("Radiometer, SN1\r\n" + data);
        char header[64];
        std::fgets(header, sizeof header, stream.get());
        const int format = detectFileFormat(stream.get(), log_.log());
        EXPECT_EQ(std::ftell(stream.get()), 17);
        EXPECT_EQ(stream.rest(), data);
        return format;
    }

    LogCapture log_{1};
};

} // namespace

TEST_F(FormatDetectionTest, EightHeaderValuesAndTwentyPixelsIsFormat1)
{
    EXPECT_EQ(detect(dataLine(FORMAT1_HEADER, 20)), 1);
    EXPECT_EQ(log_.texts(), (std::vector<std::string>{"pos: 17\n", "pixelCounts: 20 5\n", "commaCount: 15\n"}));
    EXPECT_TRUE(log_.errorBoxes().empty());
}

TEST_F(FormatDetectionTest, ThirteenHeaderValuesAndTwentyPixelsIsFormat2)
{
    EXPECT_EQ(detect(dataLine(FORMAT2_HEADER, 20)), 2);
    EXPECT_EQ(log_.texts(), (std::vector<std::string>{"pos: 17\n", "pixelCounts: 0 20\n", "commaCount: 20\n"}));
}

TEST_F(FormatDetectionTest, BlankAfterACommaStopsTheCount)
{
    std::string line = dataLine(FORMAT2_HEADER, 20);
    line.insert(line.find(",5,") + 1, " ");
    EXPECT_EQ(detect(line), 0);
    EXPECT_EQ(log_.texts()[2], "commaCount: 5\n");
    EXPECT_EQ(log_.texts().back(), "Unknown file format.\n");
    EXPECT_EQ(log_.errorBoxes(), (std::vector<std::string>{"Unknown file format.\n"}));
}

TEST_F(FormatDetectionTest, FewerThanThirteenValuesIsUnknown)
{
    EXPECT_EQ(detect(dataLine(FORMAT1_HEADER, 4)), 0);
    EXPECT_EQ(log_.texts()[1], "pixelCounts: 20 -1\n");
    EXPECT_EQ(log_.texts().back(), "Unknown file format.\n");

    log_.clear();
    EXPECT_EQ(detect("1,2,3\r\n"), 0);
    EXPECT_EQ(log_.texts()[1], "pixelCounts: -1 -1\n");
}

TEST_F(FormatDetectionTest, EmptyAndGarbageAreUnknown)
{
    EXPECT_EQ(detect(""), 0);
    EXPECT_EQ(detect(std::string("\0\xFF\x0F,,,", 6)), 0);
    EXPECT_EQ(detect("1,2,3,4,5,6,7,8,9,10,11,12,nax"), 0);
}

TEST_F(FormatDetectionTest, CommasAreCountedFromWhereTheScanStopped)
{
    // The scan stops at the 12th value's blank; the 13th is never read.
    std::string line = dataLine(FORMAT1_HEADER, 20);
    line.insert(line.find(",4,"), " ");
    EXPECT_EQ(detect(line), 0);
    EXPECT_EQ(log_.texts()[1], "pixelCounts: 20 -1\n");
    EXPECT_EQ(log_.texts()[2], "commaCount: 0\n");
}

TEST(CountFromValue, TruncatesTowardZeroAndKeeps16Bits)
{
    EXPECT_EQ(countFromValue(20.9f), 20);
    EXPECT_EQ(countFromValue(-3.7f), -3);
    EXPECT_EQ(countFromValue(40000.0f), -25536);
    EXPECT_EQ(countFromValue(2147483520.0f), -128);
    EXPECT_EQ(countFromValue(-2147483648.0f), 0);
    EXPECT_EQ(countFromValue(1e20f), -1);
    EXPECT_EQ(countFromValue(std::numeric_limits<float>::infinity()), -1);
    EXPECT_EQ(countFromValue(std::numeric_limits<float>::quiet_NaN()), -1);
}
