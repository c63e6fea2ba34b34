#include "core/identify.h"

#include "core/log.h"
#include "conversion/default_context.h"
#include "log_capture.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

namespace {

class IdentifyTest : public ::testing::Test {
protected:
    int identify(const std::string& contents)
    {
        path_ = dir_.write("SET0101A.ASC", contents);
        return identifyDataFile(path_.c_str());
    }

    const std::string& path() const { return path_; }

    TempDir dir_;
    LogCapture log_{1};
    std::string path_;
};

// A header as the instrument writes it, with the given channel line.
std::string header(const std::string& channelLine)
{
    return "Tidelume Radiometer, SN0042\r\nExported data\r\n" + channelLine + "\r\n1234,20.5,12.1,3.3\r\n";
}

} // namespace

TEST_F(IdentifyTest, ChannelLineForms)
{
    struct Case {
        const char* line;
        const char* name;
        int32_t index;
    };
    for (const Case& c : {Case{"Channel 1", "1", 0}, Case{"Channel: 2", "2", 1}, Case{"Channel:3", "3", 2},
                          Case{"Channel 7b", "7b", 6}, Case{"Channel 30", "30", 29}, Case{"Channel \t5", "\t5", 4}}) {
        SCOPED_TRACE(c.line);
        ASSERT_EQ(identify(header(c.line)), 1);
        EXPECT_STREQ(dataSerial, "SN0042");
        EXPECT_STREQ(dataChanName, c.name);
        EXPECT_EQ(chanIndex, c.index);
    }
}

TEST_F(IdentifyTest, ChannelsWithoutAPositiveNumberAreNotIdentified)
{
    EXPECT_EQ(identify(header("Channel A")), 0);
    EXPECT_STREQ(dataChanName, "A");
    EXPECT_EQ(identify(header("Channel 0")), 0);
    EXPECT_EQ(identify(header("Channel -3")), 0);
    EXPECT_EQ(identify(header("Channel")), 0);
    EXPECT_STREQ(dataChanName, "");
}

TEST_F(IdentifyTest, LogsTheIdentificationExactly)
{
    ASSERT_EQ(identify(header("Channel 7b")), 1);
    const std::string p = path();
    EXPECT_EQ(log_.texts(), (std::vector<std::string>{
                                "opening " + p + "\n",
                                "file open\n",
                                p + " ",
                                "First line: Tidelume Radiometer, SN0042\n\n",
                                "Data S/N: SN0042\n",
                                "Channel line: Channel 7b\n\n",
                                "Data Chan Name: 7b\n",
                                "Closing " + p + "\n",
                                "Data Chan Letter: G\n",
                            }));
    EXPECT_TRUE(log_.errorBoxes().empty());
}

TEST_F(IdentifyTest, ChannelThirtyLogsTheLetterAfterZ)
{
    ASSERT_EQ(identify(header("Channel 30")), 1);
    EXPECT_EQ(log_.texts().back(), "Data Chan Letter: ^\n");
}

TEST_F(IdentifyTest, WithoutDebugOnlyProgressLinesAppear)
{
    verboseLog = 0;
    ASSERT_EQ(identify(header("Channel 2")), 1);
    EXPECT_EQ(log_.joined(), path() + " Data S/N: SN0042\nData Chan Name: 2\nData Chan Letter: B\n");
}

TEST_F(IdentifyTest, LowerCaseLineIsNotAChannelLine)
{
    ASSERT_EQ(identify("Radiometer:SN1\nchannel 9\nChannel 4\nchannel 5\n"), 1);
    EXPECT_EQ(chanIndex, 3);
}

TEST_F(IdentifyTest, WithoutAChannelLineTheLastLineDecides)
{
    ASSERT_EQ(identify("Radiometer:SN1\nsome text\nx 3 y\n"), 1);
    EXPECT_STREQ(dataChanName, "3");
    EXPECT_EQ(chanIndex, 2);

    // Also without a final line end.
    ASSERT_EQ(identify("Radiometer:SN1\nsome text\nx 4 y"), 1);
    EXPECT_EQ(chanIndex, 3);

    // A single line stands as its own channel line: its first blank is
    // followed by "S/N", which is no number.
    EXPECT_EQ(identify("Radiometer S/N:SN1\n"), 0);
    EXPECT_STREQ(dataSerial, "SN1");
    EXPECT_STREQ(dataChanName, "S/N:SN1");
    ASSERT_EQ(identify("Instrument 5,SN9"), 1);
    EXPECT_EQ(chanIndex, 4);
}

TEST_F(IdentifyTest, SerialNumberRules)
{
    // A comma wins over an earlier colon.
    ASSERT_EQ(identify("Model: X, SN77\nChannel 1\n"), 1);
    EXPECT_STREQ(dataSerial, "SN77");
    // Several blanks after the separator are skipped; the word ends at a blank.
    ASSERT_EQ(identify("Serial:     AB12 more\nChannel 1\n"), 1);
    EXPECT_STREQ(dataSerial, "AB12");
    // A tab is part of the word.
    ASSERT_EQ(identify("Serial:\tAB12\nChannel 1\n"), 1);
    EXPECT_STREQ(dataSerial, "\tAB12");
}

TEST_F(IdentifyTest, FirstLinesThatDoNotQualify)
{
    for (const char* first :
         {"Export, SN1", "export: SN1", "1234, SN1", "+X, SN1", "Serial SN1", "Serial:   ", "Serial,"}) {
        SCOPED_TRACE(first);
        EXPECT_EQ(identify(std::string(first) + "\nChannel 1\n"), 0);
        EXPECT_STREQ(dataSerial, "");
    }
}

TEST_F(IdentifyTest, UnqualifiedFileLogsOnlyThePathBesidesDebugText)
{
    verboseLog = 0;
    EXPECT_EQ(identify("Export, SN1\nChannel 1\n"), 0);
    EXPECT_EQ(log_.joined(), path() + " ");
}

TEST_F(IdentifyTest, BlankLinesAndIndentationBeforeTheFirstLine)
{
    ASSERT_EQ(identify("\r\n\r\n   \t Radiometer, SN5\r\n\r\n  Channel 2\r\n"), 1);
    EXPECT_STREQ(dataSerial, "SN5");
    EXPECT_EQ(chanIndex, 1);
}

TEST_F(IdentifyTest, LongWordsAreCutTo31Characters)
{
    const std::string serial31(31, 'S');
    ASSERT_EQ(identify("Radiometer, " + serial31 + "\nChannel 1\n"), 1);
    EXPECT_EQ(std::string(dataSerial), serial31);
    ASSERT_EQ(identify("Radiometer, " + std::string(40, 'T') + "\nChannel 12" + std::string(40, 'x') + "\n"), 1);
    EXPECT_EQ(std::string(dataSerial), std::string(31, 'T'));
    EXPECT_EQ(std::string(dataChanName), "12" + std::string(29, 'x'));
    EXPECT_EQ(chanIndex, 11);
}

TEST_F(IdentifyTest, EmptyAndBinaryFilesAreNotIdentified)
{
    EXPECT_EQ(identify(""), 0);
    EXPECT_EQ(identify(std::string("\0\x0F\xFF\x01", 4)), 0);
    EXPECT_STREQ(dataSerial, "");
}

TEST_F(IdentifyTest, BinaryFileHeaderIsIdentified)
{
    std::string file = header("Channel 3");
    file += std::string("\x0F\x00\x00\x00\x04\xD2", 6);
    ASSERT_EQ(identify(file), 1);
    EXPECT_EQ(chanIndex, 2);
}

TEST_F(IdentifyTest, MissingFileIsReportedWithTheSystemErrorNumber)
{
    const std::string missing = "/nonexistent-orvantis-dir/none.ASC";
    EXPECT_EQ(identifyDataFile(missing.c_str()), 0);
    const std::string expected = "Error 2 opening input file " + missing + ": No such file or directory\n";
    EXPECT_EQ(log_.texts().back(), expected);
    EXPECT_EQ(log_.errorBoxes(), (std::vector<std::string>{expected}));
}
