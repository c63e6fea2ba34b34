#include "core/temporary_file.h"

#include "core/file_handle.h"

#include <gtest/gtest.h>

#include <io.h>
#include <windows.h>

#include <filesystem>

namespace {

std::filesystem::path pathOf(std::FILE* file)
{
    wchar_t name[MAX_PATH + 1];
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    const DWORD length = GetFinalPathNameByHandleW(handle, name, MAX_PATH + 1, FILE_NAME_NORMALIZED);
    if (length == 0 || length > MAX_PATH)
        return {};
    const std::wstring full(name, length);
    const std::wstring longPrefix = L"\\\\?\\";
    return full.rfind(longPrefix, 0) == 0 ? full.substr(longPrefix.size()) : full;
}

// tmpfile() of the C library would write to the drive's root.
TEST(TemporaryFile, LivesInTheUsersTemporaryFolderUntilClosed)
{
    wchar_t folder[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, folder), 0u);
    FileHandle file(openTemporaryFile());
    ASSERT_TRUE(file);
    const std::filesystem::path path = pathOf(file.get());
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path, std::filesystem::path(folder) / path.filename());
    file.reset();
    EXPECT_FALSE(std::filesystem::exists(path)) << path;
}

} // namespace
