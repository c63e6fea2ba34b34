#include "calibration/cal_file.h"
#include "calibration/cal_table.h"
#include "conversion/default_context.h"
#include "core/log.h"

#include "log_capture.h"
#include "temp_dir.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <regex>
#include <sys/stat.h>

namespace {

class CalLoading : public ::testing::Test {
protected:
    void SetUp() override { freeCals(); }
    void TearDown() override { freeCals(); }

    // Loads the lines as a calibration file (CR LF line ends).
    int16_t load(const std::vector<std::string>& lines, uint8_t debug = 0, uint8_t ignoreImmersion = 0)
    {
        return loadFile(dir.write("test.cal", joinLines(lines)), debug, ignoreImmersion);
    }

    // Messages without the final load-time line, which is checked and removed.
    std::vector<std::string> messagesBeforeLoadTime()
    {
        EXPECT_FALSE(log.texts().empty());
        if (log.texts().empty())
            return {};
        EXPECT_TRUE(
            std::regex_match(log.texts().back(), std::regex("Calibration load took -?[0-9]+\\.[0-9]{6} seconds\n")))
            << log.texts().back();
        return {log.texts().begin(), log.texts().end() - 1};
    }

    TempDir dir;
    LogCapture log;
};

std::vector<std::string> withLine(std::vector<std::string> lines, std::size_t index, const std::string& line)
{
    lines.at(index) = line;
    return lines;
}

std::vector<std::string> plus(std::vector<std::string> lines, const std::vector<std::string>& more)
{
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

// The example with its TIME section replaced by the given lines.
std::vector<std::string> withTimeLines(const std::vector<std::string>& timeLines)
{
    std::vector<std::string> lines = exampleCalLines();
    lines.resize(lines.size() - 2);
    return plus(lines, timeLines);
}

constexpr std::size_t SCALE_LINE = 5, FIRST_PIXEL_LINE = 9;

TEST_F(CalLoading, ExampleFileFillsChannelA)
{
    ASSERT_EQ(load(exampleCalLines()), 0);
    ASSERT_TRUE(slotLoaded(0));
    const CalSlot& slot = calTable[0];
    const ChannelCal& cal = *slot.cal;
    EXPECT_STREQ(cal.serial, "12345");
    EXPECT_STREQ(cal.name, "Ed");
    EXPECT_STREQ(cal.units, "uW/cm^2/nm");
    EXPECT_EQ(cal.calScale, 1.0f);
    EXPECT_EQ(cal.DoFirstPix, 0);
    EXPECT_EQ(cal.DoLastPix, 3);
    EXPECT_EQ(cal.DtFirstPix, 4);
    EXPECT_EQ(cal.DtLastPix, 7);
    EXPECT_EQ(cal.firstCalPix, 8);
    EXPECT_EQ(cal.lastCalPix, 10);
    EXPECT_EQ(cal.waveCoefs[0], 350.0f);
    EXPECT_EQ(cal.waveCoefs[1], 3.3f);
    EXPECT_EQ(cal.waveCoefs[2], -0.0001f);

    ASSERT_EQ(slot.pixelCalCount, 3);
    const int16_t codes[] = {1, 8, 1};
    const float weights[] = {0.0f, 0.5f, 1.0f};
    const double coefs[] = {0.001599, 0.001625, 0.001651};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(slot.pixelCals[k].adjustCode, codes[k]);
        EXPECT_EQ(slot.pixelCals[k].darkWeight, weights[k]);
        EXPECT_NEAR(slot.pixelCals[k].calCoef, coefs[k], 1e-9);
    }

    EXPECT_EQ(slot.nl.start, 0);
    EXPECT_EQ(slot.nl.step, 1000);
    EXPECT_EQ(slot.nl.count, 2);
    EXPECT_EQ(slot.nl.max, 1500);
    EXPECT_EQ(slot.nl.values[0], 0.0f);
    EXPECT_EQ(slot.nl.values[1], 12.5f);
    for (float i : slot.intTimeCals.i)
        EXPECT_EQ(i, 0.0f);

    for (int c = 1; c < MAX_CHANNELS; ++c)
        EXPECT_FALSE(slotLoaded(c)) << c;
}

TEST_F(CalLoading, ExampleFileMessagesInOrder)
{
    load(exampleCalLines(), 1);
    EXPECT_EQ(verboseLog, 1);
    EXPECT_EQ(logSink, &LogCapture::sink);
    std::vector<std::string> expected{"Data found for A WAVE.\n",
                                      "Data found for A.\n",
                                      "Data found for A NLTABLE.\n",
                                      "Data found for A TIME.\n",
                                      "Serial number: 12345\n",
                                      "Calibration Coefficients: 350.000000, 3.300000, -0.000100.\n",
                                      "Channel name:Ed\n",
                                      "Units: uW/cm^2/nm\n",
                                      "Scale: 1.000000\n",
                                      "DoFirstPix: 0 DoLastPix: 3\n",
                                      "DtFirstPix: 4 DtLastPix: 7\n",
                                      "firstCalPix: 8\n",
                                      "10\n",
                                      "lastCalPix: 10\n",
                                      "lin array read.\n",
                                      "intTimeCals.i[0] = 0\n",
                                      "Int time cal read.\n",
                                      "Serial# 12345, Channel A, Ed calibration loaded.\n"};
    for (char letter = 'B'; letter <= 'Y'; ++letter)
        for (const char* suffix : {" WAVE", "", " NLTABLE", " TIME"})
            expected.push_back(std::string("No data found for ") + letter + suffix + ".\n");
    EXPECT_EQ(messagesBeforeLoadTime(), expected);
}

TEST_F(CalLoading, WithoutDebugOnlyTheLoadedLineAndTheTime)
{
    load(exampleCalLines(), 0);
    EXPECT_EQ(verboseLog, 0);
    EXPECT_EQ(messagesBeforeLoadTime(), std::vector<std::string>{"Serial# 12345, Channel A, Ed calibration loaded.\n"});
}

TEST_F(CalLoading, LoadsExactlyTheChannelsOfTheFile)
{
    load(plus({"[ID]", "1"}, channelLines('B')));
    ASSERT_TRUE(slotLoaded(1));
    freeCals();
    load(plus(exampleCalLines(), channelLines('C')));
    for (int c = 0; c < MAX_CHANNELS; ++c)
        EXPECT_EQ(slotLoaded(c), c == 0 || c == 2) << c;
    EXPECT_STREQ(calTable[2].cal->name, "Lu");
    EXPECT_STREQ(calTable[2].cal->serial, "12345");
}

TEST_F(CalLoading, IncompleteChannelIsReportedAndItsSlotLeftAlone)
{
    load(plus({"[ID]", "1"}, channelLines('B')));
    ASSERT_TRUE(slotLoaded(1));
    std::vector<std::string> withoutTime = channelLines('B');
    withoutTime.resize(withoutTime.size() - 2);
    withoutTime[1] = "Changed";
    log.clear();

    // Nothing usable came from this file, so the load is refused.
    EXPECT_EQ(load(plus({"[ID]", "2"}, withoutTime), 1), 1);
    const std::string report = "ERROR: incomplete calibration data found; skipping channel B\n";
    EXPECT_EQ(log.count(report), 1);
    ASSERT_EQ(log.errorBoxes().size(), 2u);
    EXPECT_EQ(log.errorBoxes()[0], report);
    EXPECT_EQ(log.errorBoxes()[1].rfind("No channel calibration found in ", 0), 0u);
    EXPECT_EQ(log.count("No data found for B TIME.\n"), 1);
    ASSERT_TRUE(slotLoaded(1));
    EXPECT_STREQ(calTable[1].cal->name, "Lu");
    EXPECT_STREQ(calTable[1].cal->serial, "1");
}

TEST_F(CalLoading, BlankLineBetweenPixelLinesIsSkipped)
{
    std::vector<std::string> lines = exampleCalLines();
    lines.insert(lines.begin() + FIRST_PIXEL_LINE + 1, "");
    load(lines);
    ASSERT_TRUE(slotLoaded(0));
    const CalSlot& slot = calTable[0];
    EXPECT_EQ(slot.cal->lastCalPix, 10);
    EXPECT_EQ(slot.pixelCals[0].adjustCode, 1);
    EXPECT_EQ(slot.pixelCals[1].adjustCode, 8);
    EXPECT_EQ(slot.pixelCals[1].darkWeight, 0.5f);
    EXPECT_EQ(slot.pixelCals[2].adjustCode, 1);
    EXPECT_EQ(slot.pixelCals[2].darkWeight, 1.0f);
    EXPECT_EQ(log.count("Warning: Skipping blank line in cal file\n"), 1);
}

TEST_F(CalLoading, TwoBlankLinesInARowGiveAnEmptyEntry)
{
    std::vector<std::string> lines = exampleCalLines();
    lines.insert(lines.begin() + FIRST_PIXEL_LINE + 1, {"", ""});
    load(lines);
    const CalSlot& slot = calTable[0];
    // Only one of the two blank lines is passed over, so one entry is empty.
    EXPECT_EQ(slot.cal->lastCalPix, 11);
    EXPECT_EQ(slot.pixelCals[1].adjustCode, 0);
    EXPECT_EQ(slot.pixelCals[1].darkWeight, 0.0f);
    EXPECT_EQ(slot.pixelCals[1].calCoef, 0.0f);
    EXPECT_EQ(slot.pixelCals[2].adjustCode, 8); // the line after the blanks
    EXPECT_EQ(slot.pixelCals[3].darkWeight, 1.0f);
    EXPECT_EQ(log.count("Warning: Skipping blank line in cal file\n"), 2);
}

TEST_F(CalLoading, ImmersionMultipliesInUnlessIgnored)
{
    const std::vector<std::string> lines = withLine(exampleCalLines(), SCALE_LINE, "2.0");
    load(lines, 0, 1);
    EXPECT_EQ(calTable[0].pixelCals[0].calCoef, 2.0f * 0.00123f);
    EXPECT_EQ(calTable[0].pixelCals[2].calCoef, 2.0f * 0.00127f);
    freeCals();
    load(lines, 0, 0);
    EXPECT_NEAR(calTable[0].pixelCals[0].calCoef, 1.3 * 2.0 * 0.00123, 1e-9);
}

TEST_F(CalLoading, PartlyReadablePixelLinesKeepWhatWasRead)
{
    std::vector<std::string> lines = exampleCalLines();
    lines[FIRST_PIXEL_LINE] = "3,0.5";
    lines[FIRST_PIXEL_LINE + 1] = "4,0.25,0.002";
    lines[FIRST_PIXEL_LINE + 2] = "n/a";
    load(withLine(lines, SCALE_LINE, "x"));
    const CalSlot& slot = calTable[0];
    EXPECT_EQ(slot.cal->calScale, 0.0f);
    freeCals();
    load(lines);
    const PixelCal* e = calTable[0].pixelCals.get();
    EXPECT_EQ(e[0].adjustCode, 3);
    EXPECT_EQ(e[0].darkWeight, 0.5f);
    EXPECT_EQ(e[0].calCoef, 0.0f);
    EXPECT_EQ(e[1].adjustCode, 4);
    EXPECT_EQ(e[1].calCoef, 0.002f); // immersion 1.0 when missing
    EXPECT_EQ(e[2].adjustCode, 0);
    EXPECT_EQ(e[2].darkWeight, 0.0f);
}

TEST_F(CalLoading, TimeSectionWithThreeLines)
{
    load(withTimeLines({"[A TIME]", "1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(calTable[0].intTimeCals.i[5], 6.0f);
    load(withTimeLines({"[A TIME]", "1.5", "-2e-3", ".25"}), 1);
    const float* i = calTable[0].intTimeCals.i;
    EXPECT_EQ(i[0], 1.5f);
    EXPECT_EQ(i[1], -0.002f);
    EXPECT_EQ(i[2], 0.25f);
    EXPECT_EQ(i[3], 0.0f);
    EXPECT_EQ(i[4], 0.0f);
    EXPECT_EQ(i[5], 0.0f);
    EXPECT_EQ(log.count("intTimeCals.i[1] = -0.002\n"), 1);
}

TEST_F(CalLoading, TimeLineBeginningWithASpaceEndsTheReading)
{
    load(withTimeLines({"[A TIME]", "+1.5", " 2.5", "3.5"}));
    const float* i = calTable[0].intTimeCals.i;
    EXPECT_EQ(i[0], 1.5f);
    EXPECT_EQ(i[1], 0.0f);
    EXPECT_EQ(i[2], 0.0f);
}

TEST_F(CalLoading, NLTableCountAndMax)
{
    std::vector<std::string> nl{"[A NLTABLE]", "0,10"};
    for (int k = 0; k < 100; ++k)
        nl.push_back(std::to_string(k) + ".5");
    std::vector<std::string> lines = exampleCalLines();
    lines.erase(lines.begin() + 16, lines.begin() + 20);
    lines.insert(lines.begin() + 16, nl.begin(), nl.end());
    load(lines);
    const NLTable& table = calTable[0].nl;
    EXPECT_EQ(table.start, 0);
    EXPECT_EQ(table.step, 10);
    EXPECT_EQ(table.count, 100);
    EXPECT_EQ(table.max, 995);
    EXPECT_EQ(table.values[0], 0.5f);
    EXPECT_EQ(table.values[99], 99.5f);
}

TEST_F(CalLoading, BlankCorrectionLineIsSkipped)
{
    std::vector<std::string> lines = exampleCalLines();
    lines.insert(lines.begin() + 19, "");
    load(lines);
    const NLTable& table = calTable[0].nl;
    EXPECT_EQ(table.count, 2);
    EXPECT_EQ(table.max, 1500);
    EXPECT_EQ(table.values[1], 12.5f);
}

TEST_F(CalLoading, MissingIdSectionLeavesTheSerialEmpty)
{
    std::vector<std::string> lines = plus(exampleCalLines(), channelLines('B'));
    lines.erase(lines.begin(), lines.begin() + 2);
    load(lines);
    EXPECT_EQ(log.count("Warning: Can not find cal file section [ID].\n"), 2);
    EXPECT_STREQ(calTable[0].cal->serial, "");
    EXPECT_STREQ(calTable[1].cal->serial, "");
    EXPECT_TRUE(slotLoaded(0));
}

TEST_F(CalLoading, ChannelWithoutPixelLinesIsNotLoaded)
{
    std::vector<std::string> lines = exampleCalLines();
    lines.erase(lines.begin() + FIRST_PIXEL_LINE, lines.begin() + FIRST_PIXEL_LINE + 3);
    load(lines);
    EXPECT_FALSE(slotLoaded(0));
    ASSERT_TRUE(calTable[0].cal);
    EXPECT_EQ(calTable[0].pixelCalCount, 0);
    EXPECT_EQ(calTable[0].cal->lastCalPix, 7);
}

TEST_F(CalLoading, ProgressDotEveryHundredPixels)
{
    std::vector<std::string> lines = withLine(exampleCalLines(), FIRST_PIXEL_LINE - 1, "0");
    lines.erase(lines.begin() + FIRST_PIXEL_LINE, lines.begin() + FIRST_PIXEL_LINE + 3);
    lines.insert(lines.begin() + FIRST_PIXEL_LINE, 250, "1,0.0,1.0,1.0");
    load(lines, 1);
    EXPECT_EQ(log.count("."), 2);
    EXPECT_EQ(log.count("249\n"), 1);
    EXPECT_EQ(calTable[0].cal->lastCalPix, 249);
    EXPECT_EQ(calTable[0].pixelCalCount, 250);
}

TEST_F(CalLoading, LoadingAgainReplacesTheSlot)
{
    load(exampleCalLines());
    load(plus({"[ID]", "777"}, channelLines('A')));
    ASSERT_TRUE(slotLoaded(0));
    EXPECT_STREQ(calTable[0].cal->serial, "777");
    EXPECT_EQ(calTable[0].cal->firstCalPix, 4);
    EXPECT_EQ(calTable[0].pixelCalCount, 1);
    EXPECT_EQ(calTable[0].nl.count, 1);
}

TEST_F(CalLoading, FileThatCannotBeOpenedLeavesTheTableAlone)
{
    load(exampleCalLines());
    const std::string missing = dir.write("x", "") + ".absent";
    EXPECT_THROW(loadFile(missing), CalFileOpenError);
    ASSERT_TRUE(slotLoaded(0));
    EXPECT_STREQ(calTable[0].cal->serial, "12345");
}

TEST_F(CalLoading, ReadOnlyFileLoads)
{
    const std::string path = dir.write("readonly.cal", joinLines(exampleCalLines(), "\n"));
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(loadFile(path), 0);
    EXPECT_TRUE(slotLoaded(0));
}

TEST_F(CalLoading, FreeCalsReleasesRecordsAndKeepsTheNumbers)
{
    load(withTimeLines({"[A TIME]", "5.0"}));
    freeCals();
    for (int c = 0; c < MAX_CHANNELS; ++c)
        EXPECT_FALSE(slotLoaded(c));
    const CalSlot& slot = calTable[0];
    EXPECT_FALSE(slot.cal);
    EXPECT_FALSE(slot.pixelCals);
    EXPECT_FALSE(slot.nl.values);
    EXPECT_EQ(slot.intTimeCals.i[0], 5.0f);
    EXPECT_EQ(slot.nl.count, 2);
    EXPECT_EQ(slot.nl.step, 1000);
    EXPECT_EQ(slot.nl.max, 1500);
}

TEST_F(CalLoading, PixelWavelength)
{
    load(exampleCalLines());
    EXPECT_NEAR(pixelWavelength(0, 8), 350.0 + 3.3 * 8 - 0.0001 * 64, 1e-4);
    EXPECT_NEAR(pixelWavelength(0, 0), 350.0, 1e-9);
    EXPECT_EQ(pixelWavelength(1, 8), 0.0);
}

} // namespace
