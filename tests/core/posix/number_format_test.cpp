// The output's number conversions against the C library's formatted output,
// over millions of values: random bit patterns of doubles and of floats
// (subnormals, infinities and NaNs of either sign included), values a few
// units in the last place around rounding halfway points, and exact ties.

#include "core/number_format.h"

#include "seeded_random.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr int SAMPLES = 400000; // per kind of value and conversion

struct Conversion {
    const char* printfFormat;
    bool general;
    int precision;
};

// Every conversion the text output uses on reals.
const Conversion conversions[] = {{"%.5g", true, 5}, {"%.4g", true, 4}, {"%.1f", false, 1}, {"%.2f", false, 2}};

std::string byPrintf(const Conversion& c, double value)
{
    char text[400];
    const int length = std::snprintf(text, sizeof text, c.printfFormat, value);
    return std::string(text, static_cast<std::size_t>(length));
}

std::string byFormatter(const Conversion& c, double value)
{
    char text[MAX_NUMBER_TEXT];
    char* end = c.general ? formatGeneral(text, value, c.precision) : formatFixed(text, value, c.precision);
    return std::string(text, end);
}

// Checks a value in every conversion; counts mismatches so that one failure
// does not flood the report.
class Checker {
public:
    void check(double value)
    {
        for (const Conversion& c : conversions) {
            const std::string expected = byPrintf(c, value);
            const std::string actual = byFormatter(c, value);
            if (expected != actual && ++mismatches_ <= 10)
                ADD_FAILURE() << c.printfFormat << " of " << std::hexfloat << value << ": printf gives " << expected
                              << ", formatter gives " << actual;
        }
    }
    ~Checker() { EXPECT_EQ(mismatches_, 0); }

private:
    int mismatches_ = 0;
};

// Each test draws from a generator of its own.
class NumberFormat : public ::testing::Test {
protected:
    SeededRandom<std::mt19937_64> generator{20240611};
};

TEST_F(NumberFormat, RandomDoubleBitPatternsMatchPrintf)
{
    Checker checker;
    for (int i = 0; i < SAMPLES; ++i)
        checker.check(std::bit_cast<double>(generator()));
}

TEST_F(NumberFormat, RandomFloatBitPatternsMatchPrintf)
{
    Checker checker;
    for (int i = 0; i < SAMPLES; ++i)
        checker.check(std::bit_cast<float>(static_cast<uint32_t>(generator())));
}

TEST_F(NumberFormat, FloatsOfEveryMagnitudeWithinOutputRangeMatchPrintf)
{
    // The values a spectrum really holds: moderate exponents, either sign.
    Checker checker;
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::uniform_real_distribution<double> mantissa(1, 10);
    for (int i = 0; i < SAMPLES; ++i) {
        const double value = mantissa(generator) * std::pow(10.0, exponent(generator));
        checker.check(static_cast<float>(generator() & 1 ? value : -value));
    }
}

TEST_F(NumberFormat, ValuesAroundRoundingHalfwayPointsMatchPrintf)
{
    Checker checker;
    std::uniform_int_distribution<int> exponent(-25, 25);
    std::uniform_int_distribution<int64_t> digits(0, 99999);
    std::uniform_int_distribution<int> steps(-3, 3);
    for (int i = 0; i < SAMPLES; ++i) {
        // A halfway point of some conversion: digits and a 5 after them.
        const double halfway = (static_cast<double>(digits(generator)) + 0.5) * std::pow(10.0, exponent(generator));
        double value = halfway;
        for (int s = steps(generator); s != 0; s += s < 0 ? 1 : -1)
            value = std::nextafter(value, s < 0 ? 0.0 : HUGE_VAL);
        checker.check(value);
        checker.check(static_cast<float>(value));
    }
}

TEST_F(NumberFormat, ExactTiesRoundToEvenLikePrintf)
{
    // Dyadic fractions end in a 5 exactly where the conversions cut.
    Checker checker;
    std::uniform_int_distribution<int64_t> numerator(0, int64_t{1} << 40);
    std::uniform_int_distribution<int> shift(1, 30);
    for (int i = 0; i < SAMPLES; ++i)
        checker.check(std::ldexp(static_cast<double>(numerator(generator)), -shift(generator)));
    for (const double tie : {0.25, 0.75, 0.125, 0.375, 2.5, 1.5, 0.5, 12.25, 99999.5, 9999.5, 0.00125, 1.0e-5})
        checker.check(tie);
}

TEST_F(NumberFormat, SpecialValuesAndSignedZerosMatchPrintf)
{
    Checker checker;
    const double specials[] = {0.0,
                               -0.0,
                               HUGE_VAL,
                               -HUGE_VAL,
                               std::numeric_limits<double>::quiet_NaN(),
                               -std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::signaling_NaN(),
                               std::numeric_limits<double>::denorm_min(),
                               -std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::lowest(),
                               std::numeric_limits<float>::denorm_min(),
                               std::numeric_limits<float>::max(),
                               -0.04,
                               -0.004,
                               99999.5,
                               999999.0,
                               9.99995e-5,
                               0.0001,
                               1e15,
                               1e22,
                               1e23};
    for (const double value : specials)
        checker.check(value);
    EXPECT_EQ(byFormatter(conversions[0], -std::numeric_limits<double>::quiet_NaN()), "-nan");
    EXPECT_EQ(byFormatter(conversions[2], -0.0), "-0.0");
}

TEST_F(NumberFormat, IntegersMatchPrintf)
{
    int mismatches = 0;
    auto check = [&](long value) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%ld", value);
        char actual[MAX_NUMBER_TEXT];
        const std::string got(actual, formatInteger(actual, value));
        if (got != expected && ++mismatches <= 10)
            ADD_FAILURE() << value << ": printf gives " << expected << ", formatter gives " << got;
    };
    for (const long value : {0L, 1L, -1L, 9L, 10L, -10L, std::numeric_limits<long>::max(),
                             std::numeric_limits<long>::min(), long{std::numeric_limits<int32_t>::min()}})
        check(value);
    for (int i = 0; i < SAMPLES; ++i) {
        const uint64_t bits = generator();
        check(static_cast<long>(bits));
        check(static_cast<int32_t>(bits));
        check(static_cast<int16_t>(bits));
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
