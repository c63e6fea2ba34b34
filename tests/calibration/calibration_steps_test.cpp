#include "calibration/calibration_steps.h"

#include "seeded_random.h"
#include "step_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

namespace {

// --- adjustPixels ----------------------------------------------------------

// Adjusts the values (pixel numbers 0 up) with one code for every pixel and
// returns the whole buffer.
Pixels adjusted(int16_t code, const std::vector<float>& values)
{
    const int16_t count = static_cast<int16_t>(values.size());
    const CalSlot slot = uniformSlot(0, static_cast<int16_t>(count - 1), {code, 0.0f, 0.0f});
    Pixels out(-1.0f);
    std::copy(values.begin(), values.end(), out.values);
    adjustPixels(out.values, spectrum(0, 1, count), slot);
    return out;
}

struct CodeCase {
    int16_t code;
    std::vector<float> values;
    float expected; // at position 2
};

class AdjustCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(AdjustCode, GivesTheValueOfItsMethod)
{
    const CodeCase& c = GetParam();
    EXPECT_EQ(adjusted(c.code, c.values)[2], c.expected) << "code " << c.code;
}

const std::vector<float> RISING_PEAK{10, 40, 20, 80, 50};
const std::vector<float> FALLING{5, 50, 20, 10, 5};

INSTANTIATE_TEST_SUITE_P(
    Codes, AdjustCode,
    ::testing::Values(CodeCase{1, RISING_PEAK, 20}, CodeCase{2, RISING_PEAK, 30}, CodeCase{3, RISING_PEAK, 50},
                      CodeCase{4, RISING_PEAK, 40}, CodeCase{4, {0, 10, 20, 0, 0}, 20}, CodeCase{5, RISING_PEAK, 80},
                      CodeCase{5, FALLING, 20}, CodeCase{6, RISING_PEAK, 40}, CodeCase{7, RISING_PEAK, 80},
                      CodeCase{8, RISING_PEAK, 46.666668f}, CodeCase{9, RISING_PEAK, 40}, CodeCase{10, RISING_PEAK, 40},
                      CodeCase{10, {3.9f, -1.5f, 2.2f, 7.7f, 0.4f}, 2}, CodeCase{0, RISING_PEAK, 0},
                      CodeCase{11, RISING_PEAK, 0}, CodeCase{-1, RISING_PEAK, 0}));

TEST(AdjustPixels, MedianOfThreeAndMeanWithPrevious)
{
    EXPECT_EQ(adjusted(9, {0, 3.7f, 1.2f, 2.9f})[2], 2.0f);
    EXPECT_EQ(adjusted(2, {0, 10, 20, 0})[2], 15.0f);
}

TEST(AdjustPixels, SumsAreTakenInDoublePrecision)
{
    // In float, 16777216 + 1 + 1 stays 16777216.
    EXPECT_EQ(adjusted(8, {0, 16777216.0f, 1, 1})[2], 5592406.0f);
}

TEST(AdjustPixels, NeighboursOutsideTheSpectrumReadAsZero)
{
    // Stale values past numPix must not be used, nor be changed.
    Pixels out(999.0f);
    out[0] = 5;
    out[1] = 6;
    out[2] = 7;
    const CalSlot slot = uniformSlot(0, 4, {7, 0.0f, 0.0f});
    adjustPixels(out.values, spectrum(0, 1, 3), slot);
    EXPECT_EQ(out[0], 6.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_EQ(out[3], 999.0f);

    out[0] = 5;
    out[1] = 6;
    const CalSlot previous = uniformSlot(0, 2, {6, 0.0f, 0.0f});
    adjustPixels(out.values, spectrum(0, 1, 3), previous);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 5.0f);
}

TEST(AdjustPixels, ValuesOutsideTheCalibratedPixelsBecomeZero)
{
    const CalSlot slot = uniformSlot(10, 1033, {1, 0.0f, 0.0f});
    Pixels out(7.0f);
    adjustPixels(out.values, spectrum(0, 1, MAX_PIXELS), slot);
    for (int k = 0; k < MAX_PIXELS; ++k)
        EXPECT_EQ(out[k], (k >= 10 && k <= 1033) ? 7.0f : 0.0f) << k;
}

TEST(AdjustPixels, EntryIsChosenByPixelNumber)
{
    CalSlot slot = uniformSlot(0, 9, {1, 0.0f, 0.0f}, 12); // entries past lastCalPix, as after a blank line
    slot.pixelCals[5].adjustCode = 7;
    Pixels out;
    const float source[] = {50, 60, 70, 80, 90, 100, 110};
    std::copy(std::begin(source), std::end(source), out.values);
    adjustPixels(out.values, spectrum(5, 1, 7), slot);
    EXPECT_EQ(out[0], 60.0f); // pixel 5, code 7
    EXPECT_EQ(out[1], 60.0f);
    EXPECT_EQ(out[4], 90.0f);
    EXPECT_EQ(out[5], 0.0f); // pixel 10 is past lastCalPix
}

TEST(AdjustPixels, CalibratedRangePastTheBufferStaysInside)
{
    const CalSlot slot = uniformSlot(0, 3000, {3, 0.0f, 0.0f});
    Pixels out(3.0f);
    adjustPixels(out.values, spectrum(0, 1, MAX_PIXELS), slot);
    EXPECT_EQ(out[0], 3.0f);
    EXPECT_EQ(out[MAX_PIXELS - 1], 1.5f); // its next neighbour is outside
}

TEST(AdjustPixels, PixelsWithoutAnEntryBecomeZero)
{
    const CalSlot slot = uniformSlot(0, 10, {1, 0.0f, 0.0f}, 5);
    Pixels out(4.0f);
    adjustPixels(out.values, spectrum(0, 1, 11), slot);
    EXPECT_EQ(out[4], 4.0f);
    EXPECT_EQ(out[5], 0.0f);
    EXPECT_EQ(out[10], 0.0f);
}

// --- medianOf ----------------------------------------------------------------

TEST(MedianOf, TruncatesTowardZero)
{
    const float mixed[] = {-1.9f, -0.5f, 5.0f};
    EXPECT_EQ(medianOf(mixed), 0.0f);
    const float negative[] = {-2.5f, -1.9f, -3.1f};
    EXPECT_EQ(medianOf(negative), -2.0f);
    const float five[] = {9.9f, 1.1f, 7.5f, 3.3f, 5.8f};
    EXPECT_EQ(medianOf(five), 5.0f);
}

TEST(MedianOf, KeepsTheLowSixteenBits)
{
    EXPECT_EQ(truncateToInt16(70000.7f), 4464);
    EXPECT_EQ(truncateToInt16(-70000.9f), -4464);
    EXPECT_EQ(truncateToInt16(32768.0f), -32768);
    EXPECT_EQ(truncateToInt16(1e10f), -7168); // 10^10 mod 2^16 = 58368
    EXPECT_EQ(truncateToInt16(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(truncateToInt16(std::numeric_limits<float>::infinity()), 0);
    const float wrapped[] = {70000.0f, 0.0f, 10.0f}; // 70000 counts as 4464
    EXPECT_EQ(medianOf(wrapped), 10.0f);
    const float negativeWrap[] = {32768.0f, 0.0f, 10.0f}; // 32768 counts as -32768
    EXPECT_EQ(medianOf(negativeWrap), 0.0f);
}

// --- darkMean ----------------------------------------------------------------

TEST(DarkMean, RunningSumIsRoundedToFloat)
{
    const float values[] = {16777216.0f, 1, 1, 1};
    // A double sum would give 4194304.75.
    EXPECT_EQ(darkMean(values, spectrum(0, 1, 4), 0, 3), 4194304.0);
}

TEST(DarkMean, RangeIsTakenByPixelNumber)
{
    const float values[] = {1, 2, 3, 4};
    EXPECT_EQ(darkMean(values, spectrum(10, 1, 4), 11, 12), 2.5);
    EXPECT_EQ(darkMean(values, spectrum(10, 1, 4), 9, 12), 0.0); // starts below firstPix
}

TEST(DarkMean, EmptyRangeIsZero)
{
    const float values[] = {1, 2, 3, 4};
    EXPECT_EQ(darkMean(values, spectrum(0, 1, 4), 3, 2), 0.0);
}

TEST(DarkMean, PositionsPastTheSpectrumReadAsZero)
{
    const float values[] = {2, 2, 2, 99, 99};
    EXPECT_DOUBLE_EQ(darkMean(values, spectrum(0, 1, 3), 0, 4), 6.0 / 5.0);

    const std::vector<float> full(MAX_PIXELS, 1.0f);
    EXPECT_DOUBLE_EQ(darkMean(full.data(), spectrum(0, 1, MAX_PIXELS), 2040, 2100), 8.0 / 61.0);
}

// --- subtractDark ------------------------------------------------------------

float darkSubtracted(float value, float Do, float Dt, float weight)
{
    SpectrumRecord record = spectrum(0, 1, 1);
    record.Do = Do;
    record.Dt = Dt;
    float v[] = {value};
    subtractDark(v, record, uniformSlot(0, 0, {1, weight, 0.0f}));
    return v[0];
}

TEST(SubtractDark, DarkValueLiesBetweenDoAndDt)
{
    EXPECT_EQ(darkSubtracted(1200, 100, 120, 0.0f), 1100.0f);
    EXPECT_EQ(darkSubtracted(1200, 100, 120, 0.5f), 1090.0f);
    EXPECT_EQ(darkSubtracted(1200, 100, 120, 1.0f), 1080.0f);
}

TEST(SubtractDark, CeilingIs32760)
{
    EXPECT_EQ(darkSubtracted(40000, 0, 0, 0.0f), 32760.0f);
    EXPECT_EQ(darkSubtracted(32760, 0, 0, 0.0f), 32760.0f);
    EXPECT_EQ(darkSubtracted(32759.5f, 0, 0, 0.0f), 32759.5f);
    EXPECT_EQ(darkSubtracted(-40000, 0, 0, 0.0f), -40000.0f);
}

TEST(SubtractDark, RoundsOnlyWhereStored)
{
    // The dark value 16777216.5 exists only in double precision.
    EXPECT_EQ(darkSubtracted(16777220.0f, 16777216.0f, 16777218.0f, 0.25f), 3.5f);
    // D = Dt - Do is rounded to float: 16777215.5 becomes 16777216.
    EXPECT_EQ(darkSubtracted(16777218.0f, 0.5f, 16777216.0f, 1.0f), 1.5f);
}

TEST(SubtractDark, OnlyCalibratedPixelsByPixelNumber)
{
    SpectrumRecord record = spectrum(0, 2, 5); // pixels 0, 2, 4, 6, 8
    record.Do = 1;
    record.Dt = 1;
    float v[] = {10, 10, 10, 10, 10, 77};
    subtractDark(v, record, uniformSlot(2, 6, {1, 0.0f, 0.0f}, 7)); // entries up to pixel 8
    EXPECT_EQ(v[0], 10.0f);
    EXPECT_EQ(v[1], 9.0f);
    EXPECT_EQ(v[3], 9.0f);
    EXPECT_EQ(v[4], 10.0f); // pixel 8 is past lastCalPix
    EXPECT_EQ(v[5], 77.0f); // past numPix
}

TEST(SubtractDark, PixelsWithoutAnEntryStay)
{
    SpectrumRecord record = spectrum(0, 1, 4);
    record.Do = 1;
    record.Dt = 1;
    float v[] = {10, 10, 10, 10};
    subtractDark(v, record, uniformSlot(0, 3, {1, 0.0f, 0.0f}, 2));
    EXPECT_EQ(v[1], 9.0f);
    EXPECT_EQ(v[2], 10.0f);
}

// --- applyNLTable ------------------------------------------------------------

NLTable hundredEntries()
{
    NLTable nl;
    nl.start = 0;
    nl.step = 10;
    nl.count = 100;
    nl.max = 995;
    nl.values = std::make_unique<float[]>(100);
    for (int k = 0; k < 100; ++k)
        nl.values[k] = 1000.0f * static_cast<float>(k); // the correction tells the entry
    return nl;
}

float linearized(const NLTable& nl, float x)
{
    float v[] = {x};
    applyNLTable(v, spectrum(0, 1, 1), nl);
    return v[0];
}

TEST(ApplyNLTable, PicksTheNearestEntry)
{
    const NLTable nl = hundredEntries();
    const auto withEntry = [](int entry, float x) { return static_cast<float>(1000.0 * entry + x); };
    EXPECT_EQ(linearized(nl, 4.9f), withEntry(0, 4.9f));
    EXPECT_EQ(linearized(nl, 5.0f), withEntry(1, 5.0f));
    EXPECT_EQ(linearized(nl, 14.9f), withEntry(1, 14.9f));
    EXPECT_EQ(linearized(nl, 15.0f), withEntry(2, 15.0f));
    EXPECT_EQ(linearized(nl, 994.9f), withEntry(99, 994.9f));
    EXPECT_EQ(linearized(nl, 5000.0f), withEntry(99, 5000.0f));
    EXPECT_EQ(linearized(nl, -50.0f), withEntry(0, -50.0f));
    EXPECT_TRUE(std::isnan(linearized(nl, std::numeric_limits<float>::quiet_NaN())));
}

TEST(ApplyNLTable, CorrectsTheFirstNumPixValuesWhateverTheirPixel)
{
    const NLTable nl = hundredEntries();
    float v[] = {100, 200, 300};
    applyNLTable(v, spectrum(-500, 7, 2), nl);
    EXPECT_EQ(v[0], 10100.0f);
    EXPECT_EQ(v[1], 20200.0f);
    EXPECT_EQ(v[2], 300.0f);
}

TEST(ApplyNLTable, TableWithoutEntriesChangesNothing)
{
    NLTable empty;
    empty.step = 10;
    EXPECT_EQ(linearized(empty, 42.0f), 42.0f);
    NLTable released = hundredEntries();
    released.values.reset();
    EXPECT_EQ(linearized(released, 42.0f), 42.0f);
}

// --- normalizeTime -----------------------------------------------------------

// Normalizes numPix values of a spectrum starting at pixel firstPix.
void normalize(Pixels& v, int32_t intTime, const IntTimeCal& coefs, int16_t numPix = MAX_PIXELS, int16_t firstPix = 0)
{
    SpectrumRecord record = spectrum(firstPix, 1, numPix);
    record.intTime = intTime;
    normalizeTime(v.values, record, coefs);
}

TEST(NormalizeTime, DividesEveryBufferPositionByTheIntegrationTime)
{
    Pixels v;
    for (int j = 0; j < MAX_PIXELS; ++j)
        v[j] = 100.0f * static_cast<float>(j);
    normalize(v, 100, IntTimeCal{});
    for (int j = 0; j < MAX_PIXELS; ++j)
        ASSERT_EQ(v[j], static_cast<float>(j)) << j;
}

TEST(NormalizeTime, EffectiveTimeIsAPolynomialOfThePosition)
{
    IntTimeCal linear;
    linear.i[0] = 0.5f;
    linear.i[1] = 1.0f;
    IntTimeCal square;
    square.i[2] = 1.0f;
    for (int round = 0; round < 2; ++round) { // coefficients changing between spectra
        Pixels v;
        for (int j = 0; j < MAX_PIXELS; ++j)
            v[j] = 10.5f + static_cast<float>(j);
        normalize(v, 10, linear);
        for (int j = 0; j < MAX_PIXELS; ++j)
            ASSERT_EQ(v[j], 1.0f) << j;

        for (int j = 0; j < MAX_PIXELS; ++j)
            v[j] = 20.0f + static_cast<float>(j) * static_cast<float>(j);
        normalize(v, 20, square);
        for (int j = 0; j < MAX_PIXELS; ++j)
            ASSERT_EQ(v[j], 1.0f) << j;
    }
    Pixels v(40.0f);
    normalize(v, 40, square); // only the integration time differs
    EXPECT_EQ(v[0], 1.0f);
    EXPECT_EQ(v[2], static_cast<float>(40.0 / 44.0));
}

TEST(NormalizeTime, PolynomialRunsOverBufferPositionsOfTheValuesOnly)
{
    IntTimeCal linear;
    linear.i[1] = 1.0f;
    Pixels v(30.0f);
    normalize(v, 10, linear, 3, 500); // position j, not pixel number 500 + j
    EXPECT_EQ(v[0], 3.0f);
    EXPECT_EQ(v[2], 2.5f);
    EXPECT_EQ(v[3], 30.0f); // past numPix: nothing reads it, so it stays

    Pixels w(30.0f); // the same time and coefficients, more values
    normalize(w, 10, linear);
    EXPECT_EQ(w[1], static_cast<float>(30.0 / 11.0));
    EXPECT_EQ(w[MAX_PIXELS - 1], static_cast<float>(30.0 / (10.0 + MAX_PIXELS - 1)));
}

TEST(NormalizeTime, HighPowersUseTheExactPowerRoundedOnce)
{
    IntTimeCal fifth;
    fifth.i[5] = 1.0f;
    Pixels v(1.0f);
    normalize(v, 1, fifth);
    const double j5 = static_cast<double>(2047.0L * 2047 * 2047 * 2047 * 2047); // exact, then rounded
    EXPECT_EQ(v[2047], static_cast<float>(1.0 / (j5 + 1.0)));
    EXPECT_EQ(v[0], 1.0f);
}

// --- applyCalCoefs -----------------------------------------------------------

TEST(ApplyCalCoefs, MultipliesCalibratedPixelsOnly)
{
    float v[] = {2, 2, 2, 2, 2, 2};
    // Pixels 0, 2, 4, 6, 8; entries up to pixel 8 but lastCalPix 6.
    applyCalCoefs(v, spectrum(0, 2, 5), uniformSlot(2, 6, {1, 0.0f, 0.25f}, 7));
    EXPECT_EQ(v[0], 2.0f);
    EXPECT_EQ(v[1], 0.5f);
    EXPECT_EQ(v[3], 0.5f);
    EXPECT_EQ(v[4], 2.0f);
    EXPECT_EQ(v[5], 2.0f);
}

// --- which values have a calibration entry -----------------------------------

// A spectrum and a slot drawn at random, pixel numbers near the 16-bit ends
// included, with each entry's coefficient telling it apart.
struct RangeCase {
    SpectrumRecord record;
    CalSlot slot;
};

RangeCase randomRangeCase(std::mt19937& rng)
{
    const auto any = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    const int16_t firstPixChoices[] = {0, 5, 300, -40, 30700, 32767, -32768, static_cast<int16_t>(any(-32768, 32767))};
    const int16_t pixIncChoices[] = {1, 1, 1, 1, 2, -1, 0, 3};
    RangeCase c{
        spectrum(firstPixChoices[any(0, 7)], pixIncChoices[any(0, 7)], static_cast<int16_t>(any(0, MAX_PIXELS))), {}};
    int16_t firstCalPix = static_cast<int16_t>(c.record.firstPix + any(-50, 300));
    int16_t lastCalPix = static_cast<int16_t>(firstCalPix + any(-3, 2500));
    if (any(0, 5) == 0) { // entries just past the wrap from 32767 to -32768
        firstCalPix = static_cast<int16_t>(-32768 + any(0, 100));
        lastCalPix = 32767;
    }
    c.slot = uniformSlot(firstCalPix, lastCalPix, {1, 0.0f, 0.0f}, any(0, 2600));
    for (int i = 0; i < c.slot.pixelCalCount; ++i)
        c.slot.pixelCals[i].calCoef = static_cast<float>(2 + i);
    return c;
}

// The entry index of each value, walking the pixel numbers one by one up
// to the first one past lastCalPix; -1 for a value without an entry.
std::vector<int> entryIndices(const RangeCase& c)
{
    std::vector<int> indices(static_cast<std::size_t>(c.record.numPix), -1);
    for (int k = 0; k < c.record.numPix; ++k) {
        const auto p = static_cast<int16_t>(c.record.firstPix + k * c.record.pixInc);
        if (p > c.slot.cal->lastCalPix)
            break;
        const int index = p - c.slot.cal->firstCalPix;
        if (index >= 0 && index < c.slot.pixelCalCount)
            indices[static_cast<std::size_t>(k)] = index;
    }
    return indices;
}

TEST(CalibratedValues, PixelNumberWrappingTo32768FindsItsEntry)
{
    CalSlot slot = uniformSlot(-32768, 32767, {1, 0.0f, 0.0f}, 10);
    slot.pixelCals[0].calCoef = 3.0f;
    float v[] = {1, 1};
    applyCalCoefs(v, spectrum(32767, 1, 2), slot);
    EXPECT_EQ(v[0], 1.0f); // pixel 32767 has no entry
    EXPECT_EQ(v[1], 3.0f); // pixel -32768 has the first
}

TEST(CalibratedValues, AreTheValuesAWalkOverThePixelNumbersFinds)
{
    SeededRandom<std::mt19937> rng(20240611);
    for (int round = 0; round < 400; ++round) {
        const RangeCase c = randomRangeCase(rng);
        const std::vector<int> indices = entryIndices(c);
        SCOPED_TRACE(::testing::Message() << "firstPix " << c.record.firstPix << " pixInc " << c.record.pixInc
                                          << " numPix " << c.record.numPix << " cal " << c.slot.cal->firstCalPix << ".."
                                          << c.slot.cal->lastCalPix << " entries " << c.slot.pixelCalCount);
        Pixels scaled(1.0f);
        applyCalCoefs(scaled.values, c.record, c.slot);
        for (int k = 0; k < MAX_PIXELS; ++k) {
            const int index = k < c.record.numPix ? indices[static_cast<std::size_t>(k)] : -1;
            ASSERT_EQ(scaled[k], index >= 0 ? static_cast<float>(2 + index) : 1.0f) << "value " << k;
        }
        if (c.record.pixInc != 1)
            continue;
        Pixels adjusted(-1.0f);
        for (int k = 0; k < c.record.numPix; ++k)
            adjusted[k] = static_cast<float>(k + 1);
        adjustPixels(adjusted.values, c.record, c.slot); // code 1 keeps a value
        for (int k = 0; k < MAX_PIXELS; ++k) {
            const float expected = k >= c.record.numPix                        ? -1.0f
                                   : indices[static_cast<std::size_t>(k)] >= 0 ? static_cast<float>(k + 1)
                                                                               : 0.0f;
            ASSERT_EQ(adjusted[k], expected) << "value " << k;
        }
    }
}

} // namespace
