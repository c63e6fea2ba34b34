// The converter killed (kill -9, nothing of it cleans up) at several moments
// of converting a large file: every temporary it leaves goes with the next
// run of that output, and a clean run then writes the whole output.

#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string largeInput(int spectra)
{
    std::string text = "Tidelume Radiometer: 12345\r\nChannel 1\r\n";
    for (int j = 0; j < spectra; ++j)
        text += std::to_string(j) + ",12.46,11.2,3.456,0,1,1,0,0,100,0,1,11," + std::to_string(j % 900) +
                ",100,100,100,120,120,120,120,1190,1200,1210\r\n";
    return text;
}

std::vector<fs::path> temporariesIn(const fs::path& folder)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".part")
            found.push_back(entry.path());
    return found;
}

// The converter run in folder with --verbose, its log on a pipe that the
// test drains: it only gets on as far as the test reads, so every moment
// is reached by what it has shown, never by waiting for a time.
class RunningConverter {
public:
    RunningConverter(const fs::path& folder, const std::string& cal)
    {
        int log[2];
        if (pipe(log) != 0)
            return;
        std::fflush(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(log[1], STDOUT_FILENO);
            close(log[0]);
            close(log[1]);
            if (chdir(folder.c_str()) == 0)
                execl(ORVANTIS_CLI, ORVANTIS_CLI, "--cal", cal.c_str(), "--verbose", "BIG.ASC", nullptr);
            _exit(127);
        }
        close(log[1]);
        log_ = log[0];
    }
    ~RunningConverter()
    {
        kill();
        if (log_ >= 0)
            close(log_);
    }
    RunningConverter(const RunningConverter&) = delete;
    RunningConverter& operator=(const RunningConverter&) = delete;

    // Reads the log until it holds text; false when it ended first.
    bool readUntilShown(const std::string& text)
    {
        while (shown_.find(text) == std::string::npos)
            if (!readMore())
                return false;
        return true;
    }

    // Reads the log until file has grown to size; false when it ended first.
    bool readUntilGrown(const fs::path& file, std::uintmax_t size)
    {
        std::error_code error;
        while (fs::file_size(file, error) < size || error)
            if (!readMore())
                return false;
        return true;
    }

    // Reads the log to its end; true when the converter then ended well.
    bool finish()
    {
        while (readMore()) {
        }
        int status = -1;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // true when the converter died of the kill.
    bool kill()
    {
        if (pid_ <= 0)
            return false;
        ::kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    bool readMore()
    {
        char chunk[4096];
        const ssize_t n = read(log_, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        shown_.append(chunk, static_cast<std::size_t>(n));
        // Only the end is looked for again; the rest need not be kept.
        if (shown_.size() > 2 * sizeof chunk)
            shown_.erase(0, shown_.size() - sizeof chunk);
        return true;
    }

    pid_t pid_ = -1;
    int log_ = -1;
    std::string shown_;
};

TEST(KilledConversion, TemporariesNeverPileUpAndACleanRunWritesTheWholeOutput)
{
    const TempDir dir;
    const std::string cal = dir.write("SMALL.CAL", smallCalibrationText());
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    const std::string input = largeInput(30000);
    const fs::path reference = dir.path() / "reference";
    fs::create_directory(reference);
    writeFile((reference / "BIG.ASC").string(), input);
    {
        RunningConverter clean(reference, cal);
        ASSERT_TRUE(clean.finish());
    }
    const std::string expected = readFile((reference / "BIG.DAT").string());
    ASSERT_GT(expected.size(), 2000000u);

    const fs::path folder = dir.path() / "killed";
    fs::create_directory(folder);
    writeFile((folder / "BIG.ASC").string(), input);
    writeFile((folder / "BIG.DAT").string(), "a previous output\n");
    // Just after the output is opened, then as the temporary grows.
    for (const std::uintmax_t size : {0, 1, 300000, 600000, 1, 1200000, 0, 1800000}) {
        SCOPED_TRACE(size);
        RunningConverter run(folder, cal);
        ASSERT_TRUE(run.readUntilShown("-> BIG.DAT"));
        // What earlier runs left is gone as soon as this one has opened its output.
        const std::vector<fs::path> temporaries = temporariesIn(folder);
        ASSERT_EQ(temporaries.size(), 1u);
        ASSERT_TRUE(run.readUntilGrown(temporaries[0], size));
        EXPECT_TRUE(run.kill());
        EXPECT_EQ(temporariesIn(folder), temporaries); // left behind, as kill -9 leaves it
        EXPECT_EQ(readFile((folder / "BIG.DAT").string()), "a previous output\n");
    }

    RunningConverter clean(folder, cal);
    ASSERT_TRUE(clean.finish());
    EXPECT_TRUE(temporariesIn(folder).empty());
    const std::string written = readFile((folder / "BIG.DAT").string());
    EXPECT_TRUE(written == expected) << written.size() << " bytes written, " << expected.size() << " expected";
    EXPECT_EQ(folderContents(folder), (std::vector<std::string>{"BIG.ASC", "BIG.DAT"}));
}

} // namespace
