#include "core/text_line.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int LINE_SIZE = 256;

// Every line readTextLine returns for the bytes, in order.
std::vector<std::string> allLines(const std::string& bytes)
{
    MemoryStream stream(bytes);
    std::vector<std::string> lines;
    char buffer[LINE_SIZE];
    while (readTextLine(buffer, LINE_SIZE, stream.get()) != nullptr)
        lines.emplace_back(buffer);
    return lines;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(ReadTextLine, EachKindOfLineEndEndsOneLine)
{
    EXPECT_EQ(allLines("a\nb\n"), (Lines{"a\n", "b\n"}));
    EXPECT_EQ(allLines("a\r\nb\r\n"), (Lines{"a\n", "b\n"}));
    EXPECT_EQ(allLines("a\n\rb\n\r"), (Lines{"a\n", "b\n"}));
    EXPECT_EQ(allLines("a\rb\r"), (Lines{"a\n", "b\n"}));
    EXPECT_EQ(allLines("a\r\rb"), (Lines{"a\n", "b\n"}));
    EXPECT_EQ(allLines("last line without end"), (Lines{"last line without end\n"}));
}

TEST(ReadTextLine, PartnerOfALineEndIsConsumedOnlyOnce)
{
    // CR CR is two line ends: the second is left for the next call, which
    // skips it as white space.
    MemoryStream stream("a\r\r  b");
    char buffer[LINE_SIZE];
    ASSERT_NE(readTextLine(buffer, LINE_SIZE, stream.get()), nullptr);
    EXPECT_EQ(std::fgetc(stream.get()), '\r');

    MemoryStream crlf("a\r\nX");
    ASSERT_NE(readTextLine(buffer, LINE_SIZE, crlf.get()), nullptr);
    EXPECT_EQ(crlf.rest(), "X");
}

TEST(ReadTextLine, BlankLinesAndLeadingWhiteSpaceAreSkipped)
{
    EXPECT_EQ(allLines("\n\n  \t\v\f\r\n   indented  \n\n"), (Lines{"indented  \n"}));
}

TEST(ReadTextLine, OnlyBlankLinesReturnNothingAndKeepTheBuffer)
{
    MemoryStream stream(" \r\n\t\n\n");
    char buffer[LINE_SIZE] = "untouched";
    EXPECT_EQ(readTextLine(buffer, LINE_SIZE, stream.get()), nullptr);
    EXPECT_STREQ(buffer, "untouched");

    MemoryStream empty("");
    EXPECT_EQ(readTextLine(buffer, LINE_SIZE, empty.get()), nullptr);
    EXPECT_STREQ(buffer, "untouched");
}

TEST(ReadTextLine, LongLineIsCutAndItsRestSkipped)
{
    std::string longLine;
    for (int i = 0; i < 300; ++i)
        longLine.push_back(static_cast<char>('a' + i % 26));
    const Lines lines = allLines(longLine + "\r\nnext\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], longLine.substr(0, 254) + "\n");
    EXPECT_EQ(lines[1], "next\n");

    // Exactly 254 characters fit whole; the line end after them is consumed.
    const std::string fits(254, 'x');
    EXPECT_EQ(allLines(fits + "\n\ry"), (Lines{fits + "\n", "y\n"}));
    // A cut line running into the end of the file.
    EXPECT_EQ(allLines(longLine), (Lines{longLine.substr(0, 254) + "\n"}));
}

TEST(ReadTextLine, SmallBufferHoldsSizeMinusTwoCharacters)
{
    MemoryStream stream("abcdef\nghi\n");
    char buffer[5];
    ASSERT_NE(readTextLine(buffer, 5, stream.get()), nullptr);
    EXPECT_STREQ(buffer, "abc\n");
    ASSERT_NE(readTextLine(buffer, 5, stream.get()), nullptr);
    EXPECT_STREQ(buffer, "ghi\n");
}

TEST(ReadTextLine, NulBytesStayInsideTheLine)
{
    MemoryStream stream(std::string("ab\0cd\nef\n", 9));
    char buffer[LINE_SIZE];
    ASSERT_NE(readTextLine(buffer, LINE_SIZE, stream.get()), nullptr);
    EXPECT_EQ(std::string(buffer, 6), std::string("ab\0cd\n", 6));
    EXPECT_EQ(stream.rest(), "ef\n");
}
