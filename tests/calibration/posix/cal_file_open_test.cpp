#include "cal_file_fixture.h"

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

namespace {

TEST_F(SectionReader, MissingFileRaisesTheSystemsReason)
{
    const std::string path = (std::filesystem::path(write("")).parent_path() / "absent.cal").string();
    const std::string reason = openErrorOf(path);
    EXPECT_NE(reason.find(path), std::string::npos) << reason;
    EXPECT_NE(reason.find(std::strerror(ENOENT)), std::string::npos) << reason;
}

TEST_F(SectionReader, FifosAndDevicesAreRefusedWithoutWaiting)
{
    const std::string fifo = (std::filesystem::path(write("")).parent_path() / "pipe.cal").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A FIFO without writer and a device without end are refused at once
    // instead of waiting or reading without bound.
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        const std::string reason = openErrorOf(path);
        EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
    }
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
