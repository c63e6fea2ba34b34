#include "calibration/cal_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

std::string token(const std::string& line)
{
    char field[CAL_TEXT_FIELD_SIZE];
    std::memset(field, 'Z', sizeof field);
    readToken(line, field);
    return field;
}

TEST(ReadToken, TakesTheFirstWordAfterLeadingSpaces)
{
    EXPECT_EQ(token("Ed"), "Ed");
    EXPECT_EQ(token("   Ed rest of line"), "Ed");
    EXPECT_EQ(token("uW/cm^2/nm\r"), "uW/cm^2/nm");
}

TEST(ReadToken, StopsAtCommaControlCharacterAndNonAscii)
{
    EXPECT_EQ(token("Ed,Lu"), "Ed");
    EXPECT_EQ(token("Ed\tLu"), "Ed");
    EXPECT_EQ(token("uW/cm\xb2/nm"), "uW/cm");
    EXPECT_EQ(token("\xc3\xa9t\xc3\xa9"), "");
    EXPECT_EQ(token(",Ed"), "");
    EXPECT_EQ(token(""), "");
}

TEST(ReadToken, SkipsOnlySpacesAndAtMost256OfThem)
{
    EXPECT_EQ(token("\tEd"), "");
    EXPECT_EQ(token(std::string(256, ' ') + "Ed"), "Ed");
    EXPECT_EQ(token(std::string(257, ' ') + "Ed"), "");
}

TEST(ReadToken, CutsLongTokensTo31Characters)
{
    const std::string longName(40, 'n');
    EXPECT_EQ(token(longName), std::string(31, 'n'));
    EXPECT_EQ(token(std::string(31, 'm')), std::string(31, 'm'));
}

using Lines = std::vector<std::string>;

TEST(SplitLines, LastLineWithoutLineEndCounts)
{
    EXPECT_EQ(splitLines("a\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(splitLines("a\n"), (Lines{"a"}));
    EXPECT_EQ(splitLines("a\n\n"), (Lines{"a", ""}));
    EXPECT_TRUE(splitLines("").empty());
}

TEST(SplitLines, LfCrIsTwoLineEnds)
{
    EXPECT_EQ(splitLines("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(SplitLines, NulEndsTheText)
{
    EXPECT_EQ(splitLines("a\nb\0c\nd\n"s), (Lines{"a", "b"}));
}

} // namespace
