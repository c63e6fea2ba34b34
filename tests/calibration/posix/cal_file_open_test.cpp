#include "cal_file_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
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
    const TCalFile file(path, Log{});
    EXPECT_EQ(file.SectionLine("ID", 0), "12345");
    EXPECT_EQ(accessModesOf(path), std::vector<int>{O_RDONLY});
}

} // namespace
