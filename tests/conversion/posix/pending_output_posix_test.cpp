// A pending output among other processes: one that writes a temporary holds
// it, one that ended without cleaning up leaves it to the next conversion of
// that output, and the output keeps the permissions its owner gave it.

#include "conversion/pending_output.h"

#include "address_space_limit.h"
#include "sample_files.h"
#include "temp_dir.h"
#include "unprivileged_child.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A process that opens a pending output, writes to it and waits to be
// killed, as a conversion of a large file would be.
class WritingProcess {
public:
    explicit WritingProcess(const std::string& finalPath)
    {
        int channel[2];
        if (pipe(channel) != 0)
            return;
        std::fflush(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            close(channel[0]);
            PendingOutput output;
            if (output.open(finalPath) != 0 || std::fputs("being written", output.stream()) < 0 ||
                std::fflush(output.stream()) != 0)
                _exit(1);
            const std::string name = output.temporaryPath() + "\n";
            if (write(channel[1], name.data(), name.size()) != static_cast<ssize_t>(name.size()))
                _exit(1);
            for (;;)
                pause();
        }
        close(channel[1]);
        char c;
        while (read(channel[0], &c, 1) == 1 && c != '\n')
            temporary_ += c;
        close(channel[0]);
    }
    ~WritingProcess() { kill(); }
    WritingProcess(const WritingProcess&) = delete;
    WritingProcess& operator=(const WritingProcess&) = delete;

    const std::string& temporary() const { return temporary_; }

    // Ends it as kill -9 does: nothing of it cleans up.
    void kill()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    std::string temporary_;
};

mode_t modeOf(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Opens, writes and commits the output; 0, or the first error.
int writeOutput(const std::string& finalPath, const std::string& text)
{
    PendingOutput output;
    if (const int error = output.open(finalPath); error != 0)
        return error;
    if (std::fputs(text.c_str(), output.stream()) < 0)
        return EIO;
    return output.commit();
}

class PendingOutputAmongProcesses : public ::testing::Test {
protected:
    TempDir dir;
    const std::string finalPath = dir.file("A.DAT");
};

TEST_F(PendingOutputAmongProcesses, HeldTemporaryStaysUntilItsWriterIsKilledThenGoesWithTheNextRun)
{
    WritingProcess writer(finalPath);
    ASSERT_FALSE(writer.temporary().empty());
    EXPECT_EQ(writeOutput(finalPath, "another run"), 0);
    EXPECT_EQ(readFile(writer.temporary()), "being written");

    writer.kill();
    ASSERT_TRUE(fs::exists(writer.temporary())); // as kill -9 leaves it
    EXPECT_EQ(writeOutput(finalPath, "the next run"), 0);
    EXPECT_EQ(folderContents(dir.path()), std::vector<std::string>{"A.DAT"});
    EXPECT_EQ(readFile(finalPath), "the next run");
}

// A temporary the interrupt cleanup cannot be told of (no memory left for
// more of its slots) is not made: the output fails to open, with the reason.
TEST_F(PendingOutputAmongProcesses, TemporaryThatCannotBeRegisteredIsNotMade)
{
    if (SANITIZER_NEEDS_UNBOUND_RESOURCES)
        GTEST_SKIP() << "the sanitizers' runtime needs more address space than the bound leaves";
    const int status = runInChild(
        [&] {
            std::vector<PendingOutput> outputs(200);
            for (std::size_t i = 0; i < outputs.size(); ++i)
                if (outputs[i].open(dir.file("F" + std::to_string(i) + ".DAT")) != 0)
                    return 2;
            if (!limitAddressSpaceGrowth(64 << 10))
                return 3;
            std::vector<PendingOutput> more(200);
            for (std::size_t i = 0; i < more.size(); ++i)
                if (const int error = more[i].open(dir.file("G" + std::to_string(i) + ".DAT")); error != 0)
                    return error == ENOMEM && temporariesIn(dir.path()).size() == outputs.size() + i ? 0 : 4;
            return 5; // every one found a slot
        },
        ChildPrivileges::Kept);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(temporariesIn(dir.path()), std::vector<std::string>{}); // gone with their holder
}

// Processes writing one output at once, each removing what it takes for
// left behind as it opens: a temporary another has just created is never
// taken for one, or that one's commit would find its temporary gone.
TEST_F(PendingOutputAmongProcesses, WritersOfOneOutputAtOnceNeverLoseTheirTemporaries)
{
    std::vector<pid_t> writers;
    std::fflush(nullptr);
    for (int id = 0; id < 4; ++id) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (int round = 0; round < 60; ++round)
                if (writeOutput(finalPath, "writer " + std::to_string(id)) != 0)
                    _exit(1);
            _exit(0);
        }
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        int status = -1;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(folderContents(dir.path()), std::vector<std::string>{"A.DAT"});
    EXPECT_EQ(readFile(finalPath).rfind("writer ", 0), 0u);
}

// Only regular files are ever taken for left behind: a link named like a
// temporary, and what it leads to, stay; a pipe so named is not opened.
TEST_F(PendingOutputAmongProcesses, LinksAndPipesNamedLikeTemporariesStay)
{
    const std::string elsewhere = dir.write("ELSEWHERE", "kept");
    fs::create_symlink(elsewhere, dir.file(".A.DAT.link0000.part"));
    ASSERT_EQ(mkfifo(dir.file(".A.DAT.pipe0000.part").c_str(), 0600), 0);
    EXPECT_EQ(writeOutput(finalPath, "text"), 0);
    EXPECT_EQ(folderContents(dir.path()),
              (std::vector<std::string>{".A.DAT.link0000.part", ".A.DAT.pipe0000.part", "A.DAT", "ELSEWHERE"}));
    EXPECT_EQ(readFile(elsewhere), "kept");
}

TEST_F(PendingOutputAmongProcesses, ReplacedOutputKeepsItsPermissionBitsAndANewOneGetsTheUmasks)
{
    for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
        SCOPED_TRACE(mask);
        const mode_t saved = umask(mask);
        fs::remove(finalPath);
        EXPECT_EQ(writeOutput(finalPath, "new"), 0);
        EXPECT_EQ(modeOf(finalPath), 0666 & ~mask);
        for (const mode_t mode :
             {mode_t{0600}, mode_t{0640}, mode_t{0604}, mode_t{0755}, mode_t{0444}, mode_t{02750}}) {
            SCOPED_TRACE(mode);
            ASSERT_EQ(chmod(finalPath.c_str(), mode), 0);
            EXPECT_EQ(writeOutput(finalPath, "replaced"), 0);
            EXPECT_EQ(modeOf(finalPath), mode);
            EXPECT_EQ(readFile(finalPath), "replaced");
        }
        umask(saved);
    }
}

// A read-only output is kept read-only, and its mode comes only at the end:
// a library that writes the temporary by name can still open it.
TEST_F(PendingOutputAmongProcesses, ReadOnlyOutputIsReplacedAndStaysReadOnly)
{
    writeFile(finalPath, "old");
    ASSERT_EQ(chmod(finalPath.c_str(), 0400), 0);
    const int result = runInChild([&] {
        PendingOutput output;
        if (output.open(finalPath) != 0)
            return 1;
        std::FILE* byName = std::fopen(output.temporaryPath().c_str(), "wb");
        if (!byName)
            return 2;
        const bool written = std::fputs("written by name", byName) >= 0;
        if (std::fclose(byName) != 0 || !written)
            return 3;
        return output.commit() == 0 ? 0 : 4;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(modeOf(finalPath), 0400u);
    EXPECT_EQ(readFile(finalPath), "written by name");
}

} // namespace
