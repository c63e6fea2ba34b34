// The processing tests that need what POSIX systems alone have: rlimits,
// EISDIR, paths past 260 characters, control characters in file names.

#include "processing_fixture.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

// Leaves exactly `spare` file descriptors free until destroyed.
class DescriptorLimit {
public:
    explicit DescriptorLimit(int spare)
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        int highest = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
            highest = std::max(highest, std::stoi(entry.path().filename().string()));
        // Fill the gaps up to the highest descriptor, so that the free ones
        // are exactly those from highest + 1 on.
        int fd = open("/dev/null", O_RDONLY);
        for (; fd >= 0 && fd <= highest; fd = open("/dev/null", O_RDONLY))
            fillers_.push_back(fd);
        if (fd >= 0)
            close(fd);
        rlimit limited = saved_;
        limited.rlim_cur = static_cast<rlim_t>(highest + 1 + spare);
        setrlimit(RLIMIT_NOFILE, &limited);
    }
    ~DescriptorLimit()
    {
        setrlimit(RLIMIT_NOFILE, &saved_);
        for (int fd : fillers_)
            close(fd);
    }

private:
    rlimit saved_{};
    std::vector<int> fillers_;
};

// Rows in place of the table asked for would pass for a good output: the
// file fails and its previous output stays. Without transposition the
// temporary file is not needed: the rows are written, and no error stands
// beside a file converted.
TEST_F(Processing, TransposedOutputWithoutTemporaryFileFailsTheFile)
{
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {1, 2}) + dataLine(1001, 0, 1, {3, 4}));
    convert();
    const std::string normal = readFile(output);
    writeFile(output, "the previous output\n");
    log.clear();
    int result = 0;
    {
        const DescriptorLimit onlyInputAndOutput(2);
        result = convert(0, 1);
    }
    EXPECT_EQ(result, EMFILE);
    const std::string failures = "ERROR opening temporary file.\n" + input + " cannot be transposed without it (" +
                                 std::strerror(EMFILE) + "): " + output + " not written\nNo files processed.\n";
    EXPECT_EQ(concatenated(log.errorBoxes()), failures);
    EXPECT_EQ(log.joined(), opening("0 (raw)\n", "on\n", output) + failures);
    EXPECT_EQ(readFile(output), "the previous output\n");
    log.clear();
    {
        const DescriptorLimit onlyInputAndOutput(2);
        EXPECT_EQ(convert(0, 0), 0);
    }
    EXPECT_EQ(concatenated(log.errorBoxes()), "");
    EXPECT_EQ(readFile(output), normal);
}

TEST_F(Processing, UnopenableOutputIsReported)
{
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {5}));
    std::filesystem::create_directory(output);
    EXPECT_EQ(convert(), EISDIR);
    EXPECT_EQ(concatenated(log.errorBoxes()),
              "Error 21 opening output file " + output + ": Is a directory\nNo files processed.\n");
}

TEST_F(Processing, PathsLongerThanAnyFixedBufferAreConverted)
{
    std::filesystem::path folder = dir.path();
    for (int i = 0; i < 4; ++i)
        folder /= std::string(90, static_cast<char>('a' + i));
    std::filesystem::create_directories(folder);
    input = (folder / "LONG.NAME.ASC").string();
    ASSERT_GT(input.size(), 300u);
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {5}));
    const std::string missing = (folder / std::string(200, 'm')).string() + ".ASC";
    for (const std::string& path : {input, missing}) {
        calibrateFile(path.c_str(), "CAL.CAL", 0, 0, 0, ',', 1, LogCapture::sink);
    }
    output = (folder / "LONG.NAME.RAW").string();
    const auto lines = outputLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "Source file: " + input);
    // Every message whole, line end included, however long the path.
    EXPECT_EQ(log.count("Data file name: " + input + "\n"), 1);
    EXPECT_EQ(log.count("opening " + missing + "\n"), 1);
    const std::string missed = "Error 2 opening input file " + missing + ": No such file or directory\n";
    EXPECT_EQ(log.count(missed), 1);
    EXPECT_EQ(log.errorBoxes().front(), missed);
}

TEST_F(Processing, ControlCharactersInFileNamesKeepTheHeaderToFourLines)
{
    input = dir.file("NEW\nLINE\tA.ASC");
    output = dir.file("NEW\nLINE\tA.RAW");
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {5}));
    calibrateFile(input.c_str(), "C\rAL.CAL", 0, 0, 0, ',', 0, LogCapture::sink);
    const auto lines = outputLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "Source file: " + dir.file("NEW?LINE?A.ASC"));
    EXPECT_EQ(lines[2], "Calibration file: C?AL.CAL");
    EXPECT_EQ(lines[3], "Channel: ?, ?");
}

} // namespace
