#include "cal_file_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace std::string_literals;

namespace {

const std::string BEYOND_END = "Warning: Attempting to read beyond end of cal file section\n";
const std::string BLANK_LINE = "Warning: Skipping blank line in cal file\n";

TEST_F(SectionReader, FileWithoutHeadersHasNoSections)
{
    const TCalFile file(write("12345\nEd\n[not a header\n"), log.log());
    EXPECT_FALSE(file.HasSection("ID"));
    EXPECT_FALSE(file.HasSection(""));
    EXPECT_EQ(file.SectionLineCount("ID"), 0);
    EXPECT_TRUE(log.texts().empty()); // counting never warns
    EXPECT_EQ(file.SectionLine("ID", 0), "");
    EXPECT_EQ(log.texts(), std::vector<std::string>{"Warning: Can not find cal file section [ID].\n"});
}

TEST_F(SectionReader, TextAfterTheBracketIsIgnored)
{
    const TCalFile file(write("[A WAVE] wavelength ] polynomial\n350.0\n"), log.log());
    EXPECT_TRUE(file.HasSection("A WAVE"));
    EXPECT_FALSE(file.HasSection("A WAVE] wavelength "));
    EXPECT_EQ(file.SectionLine("A WAVE", 0), "350.0");
}

TEST_F(SectionReader, EmptyBracketsNameAnEmptySection)
{
    const TCalFile file(write("[]\nvalue\n"), log.log());
    EXPECT_TRUE(file.HasSection(""));
    EXPECT_EQ(file.SectionLineCount(""), 1);
    EXPECT_EQ(file.SectionLine("", 0), "value");
}

TEST_F(SectionReader, NamesMatchWhateverTheirLetterCase)
{
    const TCalFile file(write("[a nltable]\n0,10\n[Id]\n7\n"), log.log());
    EXPECT_TRUE(file.HasSection("A NLTABLE"));
    EXPECT_EQ(file.SectionLine("A NLTABLE", 0), "0,10");
    EXPECT_EQ(file.SectionLine("ID", 0), "7");
    EXPECT_EQ(file.SectionLine("iD", 0), "7");
}

TEST_F(SectionReader, NamesAreTakenVerbatimWithTheirSpaces)
{
    const TCalFile file(write("[ A ]\n1\n"), log.log());
    EXPECT_TRUE(file.HasSection(" A "));
    EXPECT_FALSE(file.HasSection("A"));
}

TEST_F(SectionReader, HeaderFollowedByHeaderHasNoLines)
{
    const TCalFile file(write("[A TIME]\n[A]\nEd\n"), log.log());
    EXPECT_EQ(file.SectionLineCount("A TIME"), 0);
    EXPECT_EQ(file.SectionLine("A TIME", 0), "");
    EXPECT_EQ(log.texts(), std::vector<std::string>{BEYOND_END});
    EXPECT_EQ(file.SectionLineCount("A"), 1);
}

TEST_F(SectionReader, TrailingBlankLinesAreNotCountedInteriorOnesAre)
{
    const TCalFile file(write("[A]\none\n\ntwo\n\n\n[B]\nx\n"), log.log());
    EXPECT_EQ(file.SectionLineCount("A"), 3);
    EXPECT_EQ(file.SectionLine("A", 0), "one");
    EXPECT_EQ(file.SectionLine("A", 2), "two");
    EXPECT_TRUE(log.texts().empty());

    EXPECT_EQ(file.SectionLine("A", 1), "");
    EXPECT_EQ(file.SectionLine("A", 3), "");
    EXPECT_EQ(log.texts(), (std::vector<std::string>{BLANK_LINE, BEYOND_END}));
}

TEST_F(SectionReader, NegativePositionIsRefused)
{
    const TCalFile file(write("[ID]\n12345\n"), log.log());
    EXPECT_EQ(file.SectionLine("ID", -1), "");
    EXPECT_EQ(log.texts(), std::vector<std::string>{BEYOND_END});
}

TEST_F(SectionReader, LinesAreReturnedUnchanged)
{
    const TCalFile file(write("[A]\n    \n  1,0.5 trailing text\t\n"), log.log());
    EXPECT_EQ(file.SectionLineCount("A"), 2);
    EXPECT_EQ(file.SectionLine("A", 0), "    ");
    EXPECT_EQ(file.SectionLine("A", 1), "  1,0.5 trailing text\t");
    EXPECT_TRUE(log.texts().empty());
}

TEST_F(SectionReader, OrdinaryLinesThatLookLikeHeaders)
{
    const TCalFile file(write("ignored before any header\n[A]\n[no closing bracket\n [B]\n"), log.log());
    EXPECT_FALSE(file.HasSection("B"));
    EXPECT_FALSE(file.HasSection("no closing bracket"));
    EXPECT_EQ(file.SectionLineCount("A"), 2);
    EXPECT_EQ(file.SectionLine("A", 1), " [B]");
}

TEST_F(SectionReader, RepeatedNameFindsTheFirstInTheFile)
{
    // Enough sections that sorting them is more than an insertion sort.
    std::string text = "[B]\nfirst b\n";
    for (int n = 0; n < 40; ++n)
        text += "[S" + std::to_string(n) + "]\nx\n[b]\nlater b\nmore\n";
    const TCalFile file(write(text), log.log());
    EXPECT_EQ(file.SectionLine("B", 0), "first b");
    EXPECT_EQ(file.SectionLineCount("B"), 1);
}

class LineEnds : public SectionReader, public ::testing::WithParamInterface<const char*> {};

TEST_P(LineEnds, GiveTheSameLines)
{
    const std::string eol = GetParam();
    const TCalFile file(
        write("[ID]" + eol + "12345" + eol + "[A]" + eol + "Ed" + eol + eol + "1.0" + eol + "[A TIME]" + eol + "0.5"),
        log.log());
    EXPECT_EQ(file.SectionLineCount("ID"), 1);
    EXPECT_EQ(file.SectionLine("ID", 0), "12345");
    EXPECT_EQ(file.SectionLineCount("A"), 3);
    EXPECT_EQ(file.SectionLine("A", 0), "Ed");
    EXPECT_EQ(file.SectionLine("A", 2), "1.0");
    EXPECT_EQ(file.SectionLine("A TIME", 0), "0.5");
    EXPECT_TRUE(log.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(CrLfLfCr, LineEnds, ::testing::Values("\r\n", "\n", "\r"));

// --- opening, on every system --------------------------------------------

TEST_F(SectionReader, FolderIsNotARegularFile)
{
    const std::string folder = std::filesystem::path(write("")).parent_path().string();
    const std::string reason = openErrorOf(folder);
    EXPECT_NE(reason.find(folder), std::string::npos) << reason;
    EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
}

TEST_F(SectionReader, FileOfMoreThan64MiBIsRefusedUnread)
{
    const std::string huge = write("[ID]\n12345\n");
    std::filesystem::resize_file(huge, (64u << 20) + 1);
    EXPECT_NE(openErrorOf(huge).find("larger than 64 MiB"), std::string::npos);
    std::filesystem::resize_file(huge, 64u << 20);
    EXPECT_EQ(openErrorOf(huge), "");
}

} // namespace
