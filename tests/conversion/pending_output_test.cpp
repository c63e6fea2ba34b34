#include "conversion/pending_output.h"

#include "core/file_path.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

class PendingOutputTest : public ::testing::Test {
protected:
    // The names in the folder, final and temporary ones alike.
    std::vector<std::string> names() const { return folderContents(dir.path()); }

    std::string write(PendingOutput& output, const std::string& text)
    {
        EXPECT_EQ(std::fputs(text.c_str(), output.stream()) >= 0, true);
        return text;
    }

    TempDir dir;
    const std::string finalPath = dir.file("A.DAT");
};

TEST_F(PendingOutputTest, CommitReplacesThePreviousFileAndLeavesNoTemporary)
{
    writeFile(finalPath, "previous");
    PendingOutput output;
    ASSERT_EQ(output.open(finalPath), 0);
    write(output, "new content");
    EXPECT_EQ(readFile(finalPath), "previous"); // not yet
    ASSERT_EQ(output.commit(), 0);
    EXPECT_EQ(readFile(finalPath), "new content");
    EXPECT_EQ(names(), std::vector<std::string>{"A.DAT"});
}

TEST_F(PendingOutputTest, TemporaryIsAHiddenNameBesideTheFinalOne)
{
    PendingOutput output;
    ASSERT_EQ(output.open(finalPath), 0);
    const std::vector<std::string> found = names();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].rfind(".A.DAT.", 0), 0u) << found[0];
    EXPECT_EQ(found[0].substr(found[0].size() - 5), ".part") << found[0];
}

TEST_F(PendingOutputTest, UncommittedOutputLeavesThePreviousFileAsItWas)
{
    writeFile(finalPath, "previous");
    {
        PendingOutput output;
        ASSERT_EQ(output.open(finalPath), 0);
        write(output, "half of it");
    }
    EXPECT_EQ(readFile(finalPath), "previous");
    EXPECT_EQ(names(), std::vector<std::string>{"A.DAT"});
}

// What an interrupt handler does: the temporary goes (on Windows once its
// last handle is closed, as the process ends), so it can no longer take the
// final name, and the previous output stays.
TEST_F(PendingOutputTest, InterruptCleanupRemovesTheOpenTemporary)
{
    writeFile(finalPath, "previous");
    PendingOutput output;
    ASSERT_EQ(output.open(finalPath), 0);
    write(output, "half of it");
    removePendingOutputs();
    EXPECT_NE(output.commit(), 0);
    EXPECT_EQ(readFile(finalPath), "previous");
    EXPECT_EQ(names(), std::vector<std::string>{"A.DAT"});
}

TEST_F(PendingOutputTest, MissingFolderIsReportedWithTheSystemErrorNumber)
{
    PendingOutput output;
    EXPECT_EQ(output.open(dir.file("absent/A.DAT")), ENOENT);
    EXPECT_EQ(output.stream(), nullptr);
}

TEST_F(PendingOutputTest, NonAsciiNameIsWrittenUnderThatName)
{
    const std::string name = "S\xC3\xA9"
                             "ance_\xCE\xA9.DAT";
    PendingOutput output;
    ASSERT_EQ(output.open(utf8FromPath(dir.path() / pathFromUtf8(name))), 0);
    write(output, "text");
    ASSERT_EQ(output.commit(), 0);
    EXPECT_EQ(names(), std::vector<std::string>{name});
}

} // namespace
