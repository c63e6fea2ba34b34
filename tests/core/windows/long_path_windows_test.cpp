// Paths past MAX_PATH reach the wide file calls in the extended form, made
// full first; short ones pass as they are. Wine does not enforce the limit,
// so the forms themselves are checked, and one file far below it is written
// and read back through them.

#include "core/regular_file.h"
#include "core/windows/long_path.h"
#include "core/windows/wide_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

TEST(LongPath, FullPathsGetTheExtendedPrefixOfTheirKind)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\data\\cast.ASC", L"\\\\?\\C:\\data\\cast.ASC"},
        {L"z:\\cast.ASC", L"\\\\?\\z:\\cast.ASC"},
        {L"\\\\server\\share\\cast.ASC", L"\\\\?\\UNC\\server\\share\\cast.ASC"},
        {L"\\\\?\\C:\\cast.ASC", L"\\\\?\\C:\\cast.ASC"},
        {L"\\\\?\\UNC\\server\\share\\cast.ASC", L"\\\\?\\UNC\\server\\share\\cast.ASC"},
        {L"\\\\.\\pipe\\cast", L"\\\\.\\pipe\\cast"},
        {L"C:cast.ASC", L"C:cast.ASC"}, // relative to the drive's folder: not a full path
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(extendedLengthPath(path), expected) << utf8FromWide(path);
}

TEST(LongPath, ShortPathsStayAsGivenAndLongOnesBecomeFullAndExtended)
{
    EXPECT_EQ(widePathFromUtf8("data/cast.ASC"), L"data/cast.ASC");
    EXPECT_EQ(widePathFromUtf8("C:\\data\\Séance.ASC"), L"C:\\data\\S\u00e9ance.ASC");

    const std::string folder(250, 'f');
    const std::wstring wideFolder(250, L'f');
    EXPECT_EQ(widePathFromUtf8("C:/data/./skipped/../" + folder + "/cast.ASC"),
              L"\\\\?\\C:\\data\\" + wideFolder + L"\\cast.ASC");
    EXPECT_EQ(widePathFromUtf8("\\\\server\\share\\" + folder), L"\\\\?\\UNC\\server\\share\\" + wideFolder);

    wchar_t current[MAX_PATH + 1];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, current);
    ASSERT_GT(length, 0u);
    std::wstring expected = L"\\\\?\\" + std::wstring(current, length);
    if (expected.back() != L'\\')
        expected += L'\\';
    EXPECT_EQ(widePathFromUtf8(folder + "/cast.ASC"), expected + wideFolder + L"\\cast.ASC");
}

TEST(LongPath, AFileDeepBelowTheLimitIsWrittenAndReadBack)
{
    namespace fs = std::filesystem;
    const fs::path top = fs::temp_directory_path() / L"orvantis-long-path";
    fs::path folder = top;
    for (int level = 0; level < 6; ++level)
        folder /= std::wstring(60, static_cast<wchar_t>(L'a' + level));
    fs::create_directories(L"\\\\?\\" + folder.wstring());
    const std::string file = utf8FromWide(folder.wstring()) + "\\cast.ASC";
    ASSERT_GT(file.size(), std::size_t{MAX_PATH});

    const HANDLE handle = CreateFileW(widePathFromUtf8(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(handle, "cast", 4, &written, nullptr));
    CloseHandle(handle);

    std::FILE* read = openRegularFile(file.c_str());
    ASSERT_NE(read, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text, read), 4u);
    std::fclose(read);
    EXPECT_STREQ(text, "cast");
    std::error_code ignored; // Wine takes the path without its prefix, which its library cannot walk
    fs::remove_all(top, ignored);
}

} // namespace
