// The conversions against the C scanner's known answers for the awkward cases.

#include "core/number_scan.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

struct FloatCase {
    std::string input;
    bool ok;
    float value;
    std::string rest;
};

struct IntegerCase {
    std::string input;
    bool ok;
    int64_t value;
    std::string rest;
};

void expectFloatScan(const FloatCase& c)
{
    SCOPED_TRACE("input '" + c.input + "'");
    MemoryStream stream(c.input);
    float value = -777.0f;
    bool ok;
    {
        StreamChars in(stream.get());
        ok = scanFloat(in, value);
    }
    EXPECT_EQ(ok, c.ok);
    if (c.ok) {
        EXPECT_EQ(bitsOf(value), bitsOf(c.value)) << value << " instead of " << c.value;
    } else {
        EXPECT_EQ(value, -777.0f) << "a failed conversion stored a value";
    }
    EXPECT_EQ(stream.rest(), c.rest);
}

void expectIntegerScan(const IntegerCase& c)
{
    SCOPED_TRACE("input '" + c.input + "'");
    MemoryStream stream(c.input);
    int64_t value = -777;
    bool ok;
    {
        StreamChars in(stream.get());
        ok = scanInteger(in, value);
    }
    EXPECT_EQ(ok, c.ok);
    if (c.ok) {
        EXPECT_EQ(value, c.value);
    }
    EXPECT_EQ(stream.rest(), c.rest);
}

const float INF = std::numeric_limits<float>::infinity();
const float NaN = std::numeric_limits<float>::quiet_NaN();

} // namespace

TEST(ScanFloat, PartialExponentAndHexPrefixes)
{
    for (const FloatCase& c : {
             FloatCase{"1e,", true, 1.0f, ","},
             FloatCase{"1e+,", true, 1.0f, ","},
             FloatCase{"1e+-2", true, 1.0f, "-2"},
             FloatCase{"2.5E-1x", true, 0.25f, "x"},
             FloatCase{"1.5e3.2", true, 1500.0f, ".2"},
             FloatCase{"1..2", true, 1.0f, ".2"},
             FloatCase{"0x,", false, 0, ","},
             FloatCase{"0x", false, 0, ""},
             FloatCase{"0x.,", true, 0.0f, ","},
             FloatCase{"-0x.", true, -0.0f, ""},
             FloatCase{"0x1p,", true, 1.0f, ","},
             FloatCase{"0xp1", false, 0, "p1"},
             FloatCase{"0x1.8p1", true, 3.0f, ""},
             FloatCase{"0X1P-2", true, 0.25f, ""},
             FloatCase{"0x1e5", true, 485.0f, ""},
             FloatCase{"0x1p1f", true, 2.0f, "f"},
             FloatCase{"00x1", true, 0.0f, "x1"},
             FloatCase{"0e5,", true, 0.0f, ","},
         })
        expectFloatScan(c);
}

TEST(ScanFloat, InfinityAndNan)
{
    for (const FloatCase& c : {
             FloatCase{"nan(", true, NaN, "("},
             FloatCase{"NaN,", true, NaN, ","},
             FloatCase{"-nan", true, -NaN, ""},
             FloatCase{"nax,", false, 0, ","},
             FloatCase{"na", false, 0, ""},
             FloatCase{"inf", true, INF, ""},
             FloatCase{"infx", true, INF, "x"},
             FloatCase{"-Inf,", true, -INF, ","},
             FloatCase{"INFINITY,", true, INF, ","},
             FloatCase{"infin,", false, 0, ""},
             FloatCase{"infinite", false, 0, ""},
             FloatCase{"i", false, 0, ""},
         })
        expectFloatScan(c);
}

TEST(ScanFloat, SignsSpaceAndNoNumber)
{
    for (const FloatCase& c : {
             FloatCase{" \t\n\v\f\r-2.5,", true, -2.5f, ","},
             FloatCase{"+.5", true, 0.5f, ""},
             FloatCase{"-0", true, -0.0f, ""},
             FloatCase{"+-1", false, 0, "-1"},
             FloatCase{"-,", false, 0, ","},
             FloatCase{"-", false, 0, ""},
             FloatCase{".", false, 0, ""},
             FloatCase{".e1", false, 0, "e1"},
             FloatCase{"e5", false, 0, "e5"},
             FloatCase{"", false, 0, ""},
             FloatCase{"  \n ", false, 0, ""},
             FloatCase{",5", false, 0, ",5"},
             FloatCase{std::string("\0"
                                   "5",
                                   2),
                       false, 0,
                       std::string("\0"
                                   "5",
                                   2)},
         })
        expectFloatScan(c);
}

TEST(ScanFloat, RoundsLikeStrtofAtTheEdges)
{
    for (const FloatCase& c : {
             FloatCase{"0.1", true, 0.1f, ""},
             FloatCase{"16777217", true, 16777216.0f, ""}, // tie, to even
             FloatCase{"16777219", true, 16777220.0f, ""}, // tie, to even
             FloatCase{"16777217.000000001", true, 16777218.0f, ""},
             FloatCase{"3.4028235e38", true, FLT_MAX, ""},
             FloatCase{"3.40282356e38", true, FLT_MAX, ""},
             FloatCase{"3.40282357e38", true, INF, ""},
             FloatCase{"1e40", true, INF, ""},
             FloatCase{"1.4e-45", true, std::numeric_limits<float>::denorm_min(), ""},
             FloatCase{"7e-46", true, 0.0f, ""},
             FloatCase{"7.1e-46", true, std::numeric_limits<float>::denorm_min(), ""},
             FloatCase{"1e-50", true, 0.0f, ""},
             FloatCase{"123456789012345678901234567890", true, std::strtof("123456789012345678901234567890", nullptr),
                       ""},
             FloatCase{"1e99999999999999999999999", true, INF, ""},
             FloatCase{"-1e-99999999999999999999999", true, -0.0f, ""},
         })
        expectFloatScan(c);
}

TEST(ScanFloat, LongNumbersKeepEveryDecidingDigit)
{
    // 2^24 + 1 is a tie; a non-zero digit far behind it breaks the tie upward.
    const std::string tie = "16777217." + std::string(3000, '0');
    expectFloatScan({tie, true, 16777216.0f, ""});
    expectFloatScan({tie + "1,", true, 16777218.0f, ","});
    // Thousands of leading zeros shift the value, not the digits kept.
    expectFloatScan({"0." + std::string(2000, '0') + "1e2010", true, 1e9f, ""});
    expectFloatScan({std::string(5000, '0') + "2.5", true, 2.5f, ""});
    expectFloatScan({"1" + std::string(5000, '0') + "e-5000", true, 1.0f, ""});
}

TEST(ScanInteger, SignsBasesAndSaturation)
{
    const int64_t MAX = std::numeric_limits<int64_t>::max();
    const int64_t MIN = std::numeric_limits<int64_t>::min();
    for (const IntegerCase& c : {
             IntegerCase{" \n +5,", true, 5, ","},
             IntegerCase{"-12 ,3", true, -12, " ,3"},
             IntegerCase{"0x1", true, 0, "x1"},
             IntegerCase{"007", true, 7, ""},
             IntegerCase{"1.9", true, 1, ".9"},
             IntegerCase{"1e3", true, 1, "e3"},
             IntegerCase{"9223372036854775807", true, MAX, ""},
             IntegerCase{"9223372036854775808", true, MAX, ""},
             IntegerCase{"99999999999999999999999,", true, MAX, ","},
             IntegerCase{"-9223372036854775808", true, MIN, ""},
             IntegerCase{"-99999999999999999999", true, MIN, ""},
             IntegerCase{"-,", false, 0, ","},
             IntegerCase{"- 5", false, 0, " 5"},
             IntegerCase{"+", false, 0, ""},
             IntegerCase{"", false, 0, ""},
             IntegerCase{" x", false, 0, "x"},
             IntegerCase{".5", false, 0, ".5"},
         })
        expectIntegerScan(c);
}

TEST(ScanInteger, FieldsKeepTheLowBits)
{
    EXPECT_EQ(low16(40000), -25536);
    EXPECT_EQ(low16(65535), -1);
    EXPECT_EQ(low16(-32769), 32767);
    EXPECT_EQ(low32(std::numeric_limits<int64_t>::max()), -1);
    EXPECT_EQ(low32(std::numeric_limits<int64_t>::min()), 0);
    EXPECT_EQ(low32(4294967297), 1);
}

TEST(MatchChar, CommaMustFollowTheNumberDirectly)
{
    MemoryStream spaced("12 ,3");
    {
        StreamChars in(spaced.get());
        int64_t value;
        ASSERT_TRUE(scanInteger(in, value));
        EXPECT_FALSE(matchChar(in, ','));
    }
    EXPECT_EQ(spaced.rest(), " ,3");

    MemoryStream blankAfter("12, 3x");
    int64_t first = 0;
    int64_t second = 0;
    {
        StreamChars in(blankAfter.get());
        EXPECT_TRUE(scanInteger(in, first) && matchChar(in, ',') && scanInteger(in, second));
    }
    EXPECT_EQ(first, 12);
    EXPECT_EQ(second, 3);
    EXPECT_EQ(blankAfter.rest(), "x");
}

TEST(StreamChars, HandsTheHeldCharacterBackToTheStream)
{
    MemoryStream stream("42;rest");
    {
        StreamChars in(stream.get());
        int64_t value;
        ASSERT_TRUE(scanInteger(in, value));
        EXPECT_EQ(value, 42);
    }
    EXPECT_EQ(std::fgetc(stream.get()), ';');
}

TEST(StringChars, StopsAtTheTerminatorAndReportsThePosition)
{
    const char text[] = "7b";
    StringChars in(text);
    int64_t value = 0;
    ASSERT_TRUE(scanInteger(in, value));
    EXPECT_EQ(value, 7);
    EXPECT_STREQ(in.position(), "b");

    StringChars empty("");
    EXPECT_FALSE(scanInteger(empty, value));
    float real = 0;
    StringChars sign("-");
    EXPECT_FALSE(scanFloat(sign, real));
}
