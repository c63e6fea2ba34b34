#include "cal_file_fixture.h"

#include "core/file_path.h"
#include "core/windows/wide_text.h"
#include "core/windows/windows_error.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

TEST_F(SectionReader, MissingFileRaisesTheSystemsReason)
{
    const std::string path = (std::filesystem::path(write("")).parent_path() / "absent.cal").string();
    const std::string reason = openErrorOf(path);
    EXPECT_NE(reason.find(path), std::string::npos) << reason;
    EXPECT_NE(reason.find(windowsErrorText(ERROR_FILE_NOT_FOUND)), std::string::npos) << reason;
}

TEST_F(SectionReader, DeviceIsRefused)
{
    const std::string reason = openErrorOf("NUL");
    EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
}

TEST_F(SectionReader, UnicodeNameOpens)
{
    const std::string path = utf8FromPath(dir.path() / pathFromUtf8("S\xC3\xA9"
                                                                    "ance_\xCE\xA9.CAL"));
    std::ofstream(pathFromUtf8(path)) << "[ID]\n12345\n";
    const TCalFile file(path);
    EXPECT_EQ(file.SectionLine("ID", 0), "12345");
}

// A byte-range lock that another handle of the file holds, as another program would.
class ForeignLock {
public:
    explicit ForeignLock(const std::string& path)
        : handle_(CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr))
    {}
    ~ForeignLock() { CloseHandle(handle_); }
    ForeignLock(const ForeignLock&) = delete;
    ForeignLock& operator=(const ForeignLock&) = delete;
    bool lock() { return take(LOCKFILE_EXCLUSIVE_LOCK); }
    bool canLock() { return take(0); }
    void unlock()
    {
        OVERLAPPED whole{};
        UnlockFileEx(handle_, 0, MAXDWORD, MAXDWORD, &whole);
    }

private:
    bool take(DWORD kind)
    {
        OVERLAPPED whole{};
        return LockFileEx(handle_, kind | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole) != 0;
    }

    HANDLE handle_;
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
