#include "calibration/level_processing.h"

#include "calibration/calibration_steps.h"
#include "conversion/default_context.h"
#include "core/log.h"
#include "log_capture.h"
#include "step_support.h"
#include "temp_dir.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

const float LEVEL4[] = {0.0176290f, 0.0179156f, 0.0182023f};
constexpr double PRINTED = 5e-8; // half a unit in the last printed digit

class ProcessSpectrum : public ::testing::Test {
protected:
    void SetUp() override
    {
        freeCals();
        ASSERT_EQ(loadFile(dir.write("example.cal", joinLines(exampleCalLines()))), 0);
        log.clear();
        verboseLog = 0;
        record = spectrum(0, 1, 11);
        record.intTime = 100;
        std::fill_n(v.values, 4, 100.0f);
        std::fill_n(v.values + 4, 4, 120.0f);
        v[8] = 1190;
        v[9] = 1200;
        v[10] = 1210;
        std::fill(v.values + 11, v.values + MAX_PIXELS, 555.0f); // left from an earlier spectrum
    }
    void TearDown() override { freeCals(); }

    int16_t process(int8_t level, int16_t channel = 0) { return processSpectrum(record, v.values, channel, level); }

    // Copies of the packed record's fields, which cannot be bound to references.
    int appliedLevel() const { return record.process; }
    float darkDo() const { return record.Do; }
    float darkDt() const { return record.Dt; }

    void expectPixels(float p8, float p9, float p10)
    {
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(v[k], 0.0f) << k;
        EXPECT_FLOAT_EQ(v[8], p8);
        EXPECT_FLOAT_EQ(v[9], p9);
        EXPECT_FLOAT_EQ(v[10], p10);
    }

    void expectFullCal()
    {
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(v[k], 0.0f) << k;
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(v[8 + k], LEVEL4[k], PRINTED) << 8 + k;
    }

    TempDir dir;
    LogCapture log;
    SpectrumRecord record{};
    Pixels v;
};

TEST_F(ProcessSpectrum, WorkedExampleLevelByLevel)
{
    ASSERT_EQ(process(1), 0);
    EXPECT_EQ(appliedLevel(), 1);
    EXPECT_EQ(darkDo(), 100.0f);
    EXPECT_EQ(darkDt(), 120.0f);
    expectPixels(1190, 1200, 1210);

    ASSERT_EQ(process(2), 0);
    EXPECT_EQ(appliedLevel(), 2);
    expectPixels(1090, 1090, 1090);

    Pixels linear = v;
    applyNLTable(linear.values, record, calTable[0].nl);
    EXPECT_EQ(linear[8], 1102.5f);
    EXPECT_EQ(linear[10], 1102.5f);

    ASSERT_EQ(process(3), 0);
    EXPECT_EQ(appliedLevel(), 3);
    expectPixels(11.025f, 11.025f, 11.025f);

    ASSERT_EQ(process(4), 0);
    EXPECT_EQ(appliedLevel(), 4);
    expectFullCal();
    EXPECT_EQ(darkDo(), 100.0f);
    EXPECT_EQ(darkDt(), 120.0f);
    EXPECT_TRUE(log.texts().empty());
}

TEST_F(ProcessSpectrum, WorkedExampleInOneCallWithItsDebugLines)
{
    verboseLog = 1;
    ASSERT_EQ(process(4), 0);
    EXPECT_EQ(appliedLevel(), 4);
    expectFullCal();
    EXPECT_EQ(log.texts(),
              (std::vector<std::string>{"Pre-raw Do:0.000000 Dt:0.000000\n", "Post-raw Do:100.000000 Dt:120.000000\n",
                                        "Post-adjust Do:100.000000 Dt:120.000000\n", "linearize\n", "normalizing.\n"}));
}

TEST_F(ProcessSpectrum, AdjustmentWorksFromTheUnadjustedValues)
{
    for (int k = 0; k < 3; ++k)
        calTable[0].pixelCals[k].adjustCode = 6;
    process(1);
    expectPixels(120, 1190, 1200);
}

TEST_F(ProcessSpectrum, StaleValuesPastTheSpectrumDoNotEnter)
{
    calTable[0].pixelCals[2].adjustCode = 3;
    calTable[0].cal->DtLastPix = 12; // reaches past numPix
    process(1);
    EXPECT_EQ(v[10], 605.0f);
    EXPECT_EQ(darkDt(), static_cast<float>(480.0 + 1190 + 1200 + 1210) / 9.0f);
}

TEST_F(ProcessSpectrum, InvalidChannelIsRefused)
{
    const SpectrumRecord before = record;
    EXPECT_EQ(process(4, 25), 1);
    EXPECT_EQ(process(0, -1), 1);
    EXPECT_EQ(log.texts(),
              (std::vector<std::string>{"WARNING: Invalid channel number (26 > 25); cannot process Spectrum\n",
                                        "WARNING: Invalid channel number (0 > 25); cannot process Spectrum\n"}));
    EXPECT_EQ(appliedLevel(), int{before.process});
    EXPECT_EQ(darkDo(), float{before.Do});
    EXPECT_EQ(v[8], 1190.0f);
}

TEST_F(ProcessSpectrum, WithoutCalibrationOnlyRawData)
{
    freeCals();
    EXPECT_EQ(process(1, 0), 1);
    EXPECT_EQ(log.texts(),
              std::vector<std::string>{"WARNING: NO CAL LOADED FOR CHANNEL 1\nONLY RAW DATA AVAILABLE.\n"});
    log.clear();

    record.Do = 3;
    record.Dt = 4;
    EXPECT_EQ(process(0, 0), 0);
    EXPECT_TRUE(log.texts().empty());
    EXPECT_EQ(appliedLevel(), 0);
    EXPECT_EQ(darkDo(), 3.0f);
    EXPECT_EQ(darkDt(), 4.0f);
    EXPECT_EQ(v[0], 100.0f);
    EXPECT_EQ(v[8], 1190.0f);
}

TEST_F(ProcessSpectrum, LevelZeroEstablishesTheDarkValuesOnly)
{
    EXPECT_EQ(process(0), 0);
    EXPECT_EQ(appliedLevel(), 0);
    EXPECT_EQ(darkDo(), 100.0f);
    EXPECT_EQ(darkDt(), 120.0f);
    EXPECT_EQ(v[0], 100.0f);
    EXPECT_EQ(v[9], 1200.0f);
}

TEST_F(ProcessSpectrum, DarkRangeBelowTheFirstPixelGivesZero)
{
    calTable[0].cal->DoFirstPix = 2;
    calTable[0].cal->DtFirstPix = 1;
    record.firstPix = 2;
    process(0);
    EXPECT_EQ(darkDt(), 0.0f);
    EXPECT_EQ(darkDo(), 100.0f); // pixels 2 and 3 are values 0 and 1
}

TEST_F(ProcessSpectrum, DarkValuesThatCannotBeComputedAreKept)
{
    record.pixInc = 2;
    record.Do = 0.0f;
    record.Dt = 7.0f;
    process(0);
    EXPECT_EQ(log.texts(), std::vector<std::string>{"NOTE: cannot calculate Do and/or Dt.\n"});
    EXPECT_EQ(darkDt(), 7.0f);

    log.clear();
    record.Do = std::numeric_limits<float>::quiet_NaN();
    process(0);
    EXPECT_EQ(log.count("NOTE: cannot calculate Do and/or Dt.\n"), 1);

    log.clear();
    record.pixInc = 1;
    record.firstPix = 1; // above DoFirstPix 0
    record.Do = 5.0f;
    process(0);
    EXPECT_TRUE(log.texts().empty());
    EXPECT_EQ(darkDo(), 5.0f);
}

TEST_F(ProcessSpectrum, SpectrumAtLevelTwoGetsOnlyTheRemainingSteps)
{
    record.process = 2;
    record.Do = 1.0f;
    record.Dt = 2.0f;
    std::fill_n(v.values, 8, 5.0f);
    std::fill_n(v.values + 8, 3, 1090.0f);
    ASSERT_EQ(process(4), 0);
    EXPECT_EQ(appliedLevel(), 4);
    EXPECT_EQ(darkDo(), 1.0f);
    EXPECT_EQ(darkDt(), 2.0f);
    EXPECT_FLOAT_EQ(v[0], 0.05f); // linearized and normalized, not calibrated
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(v[8 + k], LEVEL4[k], PRINTED);
}

TEST_F(ProcessSpectrum, SpectrumAlreadyAtTheLevelIsLeftAlone)
{
    record.process = 4;
    EXPECT_EQ(process(3), 0);
    EXPECT_EQ(appliedLevel(), 4);
    EXPECT_EQ(darkDo(), 0.0f);
    EXPECT_EQ(v[8], 1190.0f);
}

TEST_F(ProcessSpectrum, PixelStepOtherThanOneIsNotAdjusted)
{
    record.pixInc = 2;
    record.Do = 1.0f;
    record.Dt = 1.0f;
    EXPECT_EQ(process(1), 0);
    EXPECT_EQ(log.texts(), std::vector<std::string>{"NOTE: cannot adjust pixels (not enough pixels available).\n"});
    EXPECT_EQ(appliedLevel(), 1);
    EXPECT_EQ(v[0], 100.0f);
    EXPECT_EQ(v[8], 1190.0f);
}

TEST_F(ProcessSpectrum, InvalidIntegrationTime)
{
    record.intTime = 0;
    EXPECT_EQ(process(3), 0);
    EXPECT_EQ(log.texts(), std::vector<std::string>{"WARNING: Invalid integration time (0).\n"});
    EXPECT_EQ(appliedLevel(), 2);
    expectPixels(1102.5f, 1102.5f, 1102.5f);

    SetUp();
    record.intTime = -5;
    EXPECT_EQ(process(4), 0);
    EXPECT_EQ(log.count("WARNING: Invalid integration time (-5).\n"), 1);
    EXPECT_EQ(appliedLevel(), 2); // no coefficients on counts never divided by a time
    expectPixels(1102.5f, 1102.5f, 1102.5f);
}

TEST_F(ProcessSpectrum, UnknownLevelAfterFullCalibration)
{
    EXPECT_EQ(process(5), 1);
    EXPECT_EQ(appliedLevel(), 4);
    expectFullCal();
    EXPECT_EQ(log.texts(), std::vector<std::string>{"Unknown process number: 5\n"});
    EXPECT_EQ(log.errorBoxes(), std::vector<std::string>{"Unknown process number: 5\n"});
}

TEST_F(ProcessSpectrum, NegativeProcessCountsAsRaw)
{
    record.process = -3;
    EXPECT_EQ(process(0), 0);
    EXPECT_EQ(appliedLevel(), 0);
    EXPECT_EQ(darkDo(), 100.0f);

    SetUp();
    record.process = -1;
    EXPECT_EQ(process(4), 0);
    expectFullCal();
}

} // namespace
