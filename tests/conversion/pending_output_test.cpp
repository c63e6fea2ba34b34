#include "conversion/pending_output.h"

#include "core/file_path.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
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

    static std::string nameOf(const std::string& path) { return utf8FromPath(pathFromUtf8(path).filename()); }

    TempDir dir;
    const std::string finalPath = dir.file("A.DAT");
};

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

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

// Outputs of many megabytes go to the disk while they are written: every
// byte arrives in order however the writes are cut and buffered.
TEST_F(PendingOutputTest, LargeOutputArrivesWholeWhateverTheWritesAndBuffering)
{
    std::mt19937 random(7);
    std::string content(9 * 1024 * 1024 + 1234, '\0');
    for (char& c : content)
        c = static_cast<char>(random());
    for (const int buffering : {_IOFBF, _IONBF}) {
        SCOPED_TRACE(buffering);
        PendingOutput output;
        ASSERT_EQ(output.open(finalPath), 0);
        ASSERT_EQ(std::setvbuf(output.stream(), nullptr, buffering, 100 * 1000), 0);
        for (std::size_t at = 0; at < content.size();) {
            const std::size_t count = std::min<std::size_t>(content.size() - at, 1 + random() % 300000);
            ASSERT_EQ(std::fwrite(content.data() + at, 1, count, output.stream()), count);
            at += count;
        }
        ASSERT_EQ(output.commit(), 0);
        EXPECT_TRUE(readFile(finalPath) == content);
        EXPECT_EQ(names(), std::vector<std::string>{"A.DAT"});
    }
}

// What an interrupt handler does: the temporary goes (on Windows once its
// last handle is closed, as the process ends), so it can no longer take the
// final name, and the previous output stays.
// In a process of its own, as an interrupt ends its process: once stopped,
// a process places no output any more, and the tests after this one must.
TEST_F(PendingOutputTest, InterruptCleanupRemovesTheOpenTemporary)
{
    writeFile(finalPath, "previous");
    const auto interruptedRun = [this] {
        PendingOutput output;
        if (output.open(finalPath) != 0)
            std::_Exit(2);
        write(output, "half of it");
        removePendingOutputs();
        const bool refused = output.commit() != 0;
        const bool kept = readFile(finalPath) == "previous" && names() == std::vector<std::string>{"A.DAT"};
        std::_Exit(refused && kept ? 0 : 1);
    };
    EXPECT_EXIT(interruptedRun(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(finalPath), "previous");
    EXPECT_EQ(names(), std::vector<std::string>{"A.DAT"});
}

// However many conversions run at once, the handler knows every temporary
// they made; once it has begun, no temporary is made that it could miss.
TEST_F(PendingOutputTest, InterruptCleanupRemovesEveryOpenTemporaryAndNoneIsMadeAfter)
{
    const auto interruptedRun = [this] {
        std::vector<PendingOutput> outputs(300);
        for (std::size_t i = 0; i < outputs.size(); ++i)
            if (outputs[i].open(dir.file("F" + std::to_string(i) + ".DAT")) != 0)
                std::_Exit(2);
        removePendingOutputs();
        PendingOutput late;
        std::_Exit(late.open(dir.file("LATE.DAT")) == EINTR && late.stream() == nullptr ? 0 : 1);
    };
    EXPECT_EXIT(interruptedRun(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(names(), std::vector<std::string>{});
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

// What runs that ended without cleaning up left behind goes with the next
// conversion of that output; a temporary still being written, the other
// outputs' and every other name stay.
TEST_F(PendingOutputTest, OpeningRemovesOnlyTheUnheldTemporariesOfItsOwnOutput)
{
    PendingOutput held;
    ASSERT_EQ(held.open(finalPath), 0);
    const std::vector<std::string> others = {".B.DAT.abcdefgh.part",  ".A.DA.abcdefgh.part",    "A.DAT.abcdefgh.part",
                                             "x.A.DAT.abcdefgh.part", ".A.DAT.abcdefg.part",    ".A.DAT.abcdefghi.part",
                                             ".A.DAT.abcdefgh.partx", ".A.DAT.abcdefgh.par",    ".A.DAT.abcd-fgh.part",
                                             ".A.DAT..abcdefgh.part", ".A.DAT.abcdefgh.part.x", "A.DAT"};
    for (const std::string& name : others)
        writeFile(dir.file(name), "not a temporary of A.DAT");
    std::filesystem::create_directory(dir.file(".A.DAT.folder00.part"));
    for (const char* name : {".A.DAT.zzzzzzzz.part", ".A.DAT.0a1b2c3d.part"})
        writeFile(dir.file(name), "left behind");

    PendingOutput next;
    ASSERT_EQ(next.open(finalPath), 0);
    std::vector<std::string> expected = others;
    expected.insert(expected.end(),
                    {".A.DAT.folder00.part", nameOf(held.temporaryPath()), nameOf(next.temporaryPath())});
    EXPECT_EQ(names(), sorted(expected));
    for (const std::string& name : others)
        EXPECT_EQ(readFile(dir.file(name)), "not a temporary of A.DAT") << name;

    // The held temporary is still the one its output writes.
    write(held, "held");
    ASSERT_EQ(held.commit(), 0);
    EXPECT_EQ(readFile(finalPath), "held");
    next.discard();
}

// The temporary's name is cut where the final one is too long for it; the
// final name itself must fit, which is known before anything is written.
TEST_F(PendingOutputTest, NameTooLongFailsAtOnceAndLongNamesKeepTheirTemporariesFindable)
{
    PendingOutput output;
    EXPECT_EQ(output.open(dir.file(std::string(256, 'L') + ".DAT")), ENAMETOOLONG);
    EXPECT_EQ(output.stream(), nullptr);
    EXPECT_TRUE(names().empty());

    // 199 letters and a two-byte character: cut at 200 bytes it would be
    // broken in two, so the temporary keeps the 199 letters alone.
    const std::string longName = std::string(199, 'L') + "\xC3\xA9.DAT";
    const std::string leftBehind = "." + std::string(199, 'L') + ".zzzzzzzz.part";
    writeFile(dir.file(leftBehind), "left behind");
    ASSERT_EQ(output.open(utf8FromPath(dir.path() / pathFromUtf8(longName))), 0);
    EXPECT_EQ(nameOf(output.temporaryPath()).substr(0, 201), "." + std::string(199, 'L') + ".");
    EXPECT_EQ(nameOf(output.temporaryPath()).size(), leftBehind.size());
    write(output, "text");
    ASSERT_EQ(output.commit(), 0);
    EXPECT_EQ(names(), std::vector<std::string>{longName});
}

} // namespace
