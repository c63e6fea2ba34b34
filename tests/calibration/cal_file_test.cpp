#include "calibration/cal_file.h"

#include "log_capture.h"
#include "temp_dir.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::string_literals;

namespace {

const std::string BEYOND_END = "Warning: Attempting to read beyond end of cal file section\n";
const std::string BLANK_LINE = "Warning: Skipping blank line in cal file\n";

class SectionReader : public ::testing::Test {
protected:
    std::string write(const std::string& content) { return dir.write("test.cal", content); }

    TempDir dir;
    LogCapture log;
};

TEST_F(SectionReader, FileWithoutHeadersHasNoSections)
{
    const TCalFile file(write("12345\nEd\n[not a header\n"));
    EXPECT_FALSE(file.HasSection("ID"));
    EXPECT_FALSE(file.HasSection(""));
    EXPECT_EQ(file.SectionLineCount("ID"), 0);
    EXPECT_TRUE(log.texts().empty()); // counting never warns
    EXPECT_EQ(file.SectionLine("ID", 0), "");
    EXPECT_EQ(log.texts(), std::vector<std::string>{"Warning: Can not find cal file section [ID].\n"});
}

TEST_F(SectionReader, TextAfterTheBracketIsIgnored)
{
    const TCalFile file(write("[A WAVE] wavelength ] polynomial\n350.0\n"));
    EXPECT_TRUE(file.HasSection("A WAVE"));
    EXPECT_FALSE(file.HasSection("A WAVE] wavelength "));
    EXPECT_EQ(file.SectionLine("A WAVE", 0), "350.0");
}

TEST_F(SectionReader, EmptyBracketsNameAnEmptySection)
{
    const TCalFile file(write("[]\nvalue\n"));
    EXPECT_TRUE(file.HasSection(""));
    EXPECT_EQ(file.SectionLineCount(""), 1);
    EXPECT_EQ(file.SectionLine("", 0), "value");
}

TEST_F(SectionReader, NamesMatchWhateverTheirLetterCase)
{
    const TCalFile file(write("[a nltable]\n0,10\n[Id]\n7\n"));
    EXPECT_TRUE(file.HasSection("A NLTABLE"));
    EXPECT_EQ(file.SectionLine("A NLTABLE", 0), "0,10");
    EXPECT_EQ(file.SectionLine("ID", 0), "7");
    EXPECT_EQ(file.SectionLine("iD", 0), "7");
}

TEST_F(SectionReader, NamesAreTakenVerbatimWithTheirSpaces)
{
    const TCalFile file(write("[ A ]\n1\n"));
    EXPECT_TRUE(file.HasSection(" A "));
    EXPECT_FALSE(file.HasSection("A"));
}

TEST_F(SectionReader, HeaderFollowedByHeaderHasNoLines)
{
    const TCalFile file(write("[A TIME]\n[A]\nEd\n"));
    EXPECT_EQ(file.SectionLineCount("A TIME"), 0);
    EXPECT_EQ(file.SectionLine("A TIME", 0), "");
    EXPECT_EQ(log.texts(), std::vector<std::string>{BEYOND_END});
    EXPECT_EQ(file.SectionLineCount("A"), 1);
}

TEST_F(SectionReader, TrailingBlankLinesAreNotCountedInteriorOnesAre)
{
    const TCalFile file(write("[A]\none\n\ntwo\n\n\n[B]\nx\n"));
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
    const TCalFile file(write("[ID]\n12345\n"));
    EXPECT_EQ(file.SectionLine("ID", -1), "");
    EXPECT_EQ(log.texts(), std::vector<std::string>{BEYOND_END});
}

TEST_F(SectionReader, LinesAreReturnedUnchanged)
{
    const TCalFile file(write("[A]\n    \n  1,0.5 trailing text\t\n"));
    EXPECT_EQ(file.SectionLineCount("A"), 2);
    EXPECT_EQ(file.SectionLine("A", 0), "    ");
    EXPECT_EQ(file.SectionLine("A", 1), "  1,0.5 trailing text\t");
    EXPECT_TRUE(log.texts().empty());
}

TEST_F(SectionReader, OrdinaryLinesThatLookLikeHeaders)
{
    const TCalFile file(write("ignored before any header\n[A]\n[no closing bracket\n [B]\n"));
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
    const TCalFile file(write(text));
    EXPECT_EQ(file.SectionLine("B", 0), "first b");
    EXPECT_EQ(file.SectionLineCount("B"), 1);
}

class LineEnds : public SectionReader, public ::testing::WithParamInterface<const char*> {};

TEST_P(LineEnds, GiveTheSameLines)
{
    const std::string eol = GetParam();
    const TCalFile file(
        write("[ID]" + eol + "12345" + eol + "[A]" + eol + "Ed" + eol + eol + "1.0" + eol + "[A TIME]" + eol + "0.5"));
    EXPECT_EQ(file.SectionLineCount("ID"), 1);
    EXPECT_EQ(file.SectionLine("ID", 0), "12345");
    EXPECT_EQ(file.SectionLineCount("A"), 3);
    EXPECT_EQ(file.SectionLine("A", 0), "Ed");
    EXPECT_EQ(file.SectionLine("A", 2), "1.0");
    EXPECT_EQ(file.SectionLine("A TIME", 0), "0.5");
    EXPECT_TRUE(log.texts().empty());
}

INSTANTIATE_TEST_SUITE_P(CrLfLfCr, LineEnds, ::testing::Values("\r\n", "\n", "\r"));

// --- opening -------------------------------------------------------------

std::string openErrorOf(const std::string& path)
{
    try {
        const TCalFile file(path);
    } catch (const CalFileOpenError& error) {
        return error.what();
    }
    return "";
}

TEST_F(SectionReader, MissingFileRaisesTheSystemsReason)
{
    const std::string path = (std::filesystem::path(write("")).parent_path() / "absent.cal").string();
    const std::string reason = openErrorOf(path);
    EXPECT_NE(reason.find(path), std::string::npos) << reason;
    EXPECT_NE(reason.find(std::strerror(ENOENT)), std::string::npos) << reason;
}

TEST_F(SectionReader, OnlyRegularFilesOfAtMost64MiBAreRead)
{
    const std::filesystem::path folder = std::filesystem::path(write("")).parent_path();
    const std::string fifo = (folder / "pipe.cal").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = (folder / "huge.cal").string();
    {
        std::ofstream{huge};
    }
    std::filesystem::resize_file(huge, (64u << 20) + 1);
    // A FIFO without writer, a device without end and a folder are refused
    // at once instead of waiting or reading without bound.
    for (const std::string& path : {fifo, std::string("/dev/zero"), folder.string()}) {
        SCOPED_TRACE(path);
        const std::string reason = openErrorOf(path);
        EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
    }
    EXPECT_NE(openErrorOf(huge).find("larger than 64 MiB"), std::string::npos);
    std::filesystem::resize_file(huge, 64u << 20);
    EXPECT_EQ(openErrorOf(huge), "");
}

// Access mode of the descriptors this process holds on path.
std::vector<int> accessModesOf(const std::string& path)
{
    std::vector<int> modes;
    const auto target = std::filesystem::canonical(path);
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto link = std::filesystem::read_symlink(entry.path(), error);
        if (error || link != target)
            continue;
        std::ifstream info("/proc/self/fdinfo/" + entry.path().filename().string());
        std::string key;
        while (info >> key) {
            if (key == "flags:") {
                std::string octal;
                info >> octal;
                modes.push_back(static_cast<int>(std::stol(octal, nullptr, 8)) & O_ACCMODE);
            }
        }
    }
    return modes;
}

TEST_F(SectionReader, ReadOnlyFileOpensAndIsOnlyRead)
{
    const std::string path = write("[ID]\n12345\n");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const TCalFile file(path);
    EXPECT_EQ(file.SectionLine("ID", 0), "12345");
    EXPECT_EQ(accessModesOf(path), std::vector<int>{O_RDONLY});
}

// An advisory lock that another open of the file holds, as another program would.
class ForeignLock {
public:
    explicit ForeignLock(const std::string& path) : fd_(open(path.c_str(), O_RDONLY)) {}
    ~ForeignLock() { close(fd_); }
    ForeignLock(const ForeignLock&) = delete;
    ForeignLock& operator=(const ForeignLock&) = delete;
    bool lock() { return fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0; }
    void unlock() { flock(fd_, LOCK_UN); }
    bool canLock() { return fd_ >= 0 && flock(fd_, LOCK_SH | LOCK_NB) == 0; }

private:
    int fd_;
};

TEST_F(SectionReader, ReadersShareTheFileAndAWritersHoldIsWaitedOut)
{
    const std::string path = write("[ID]\n12345\n");
    ForeignLock reader(path);
    ASSERT_TRUE(reader.canLock());
    EXPECT_EQ(openErrorOf(path), "");
    reader.unlock();

    ForeignLock writer(path);
    ASSERT_TRUE(writer.lock());
    const std::string reason = openErrorOf(path);
    EXPECT_NE(reason.find(path), std::string::npos) << reason;
    EXPECT_NE(reason.find("locked by another program"), std::string::npos) << reason;

    // A hold that ends while the reader waits lets it through.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        writer.unlock();
    });
    EXPECT_EQ(openErrorOf(path), "");
    release.join();
}

TEST_F(SectionReader, KeepsWritersOffWhileItExists)
{
    const std::string path = write("[ID]\n12345\n");
    ForeignLock other(path);
    {
        const TCalFile file(path);
        EXPECT_FALSE(other.lock());
        EXPECT_TRUE(other.canLock());
        other.unlock();
    }
    EXPECT_TRUE(other.lock());
}

} // namespace
