// What the program files carry for the shell: their own icon, the data
// files' icon at index 1 of the windowed program, and the project's
// version; and the manifest that both programs need for UTF-8 file names
// and paths past 260 characters.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include <shellapi.h>

namespace {

const std::wstring Program = L"" ORVANTIS_PROGRAM;
const std::wstring Converter = L"" ORVANTIS_CONVERTER;

std::wstring wide(const char* ascii)
{
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

TEST(ProgramFile, HasTheProgramsIconAndTheDataFilesIconAtIndexOne)
{
    EXPECT_EQ(ExtractIconExW(Program.c_str(), -1, nullptr, nullptr, 0), 2u);
    HICON dataFileIcon = nullptr;
    ASSERT_EQ(ExtractIconExW(Program.c_str(), 1, &dataFileIcon, nullptr, 1), 1u);
    EXPECT_NE(dataFileIcon, nullptr);
    DestroyIcon(dataFileIcon);
}

TEST(ProgramFile, TheConverterHasTheProgramsIcon)
{
    EXPECT_EQ(ExtractIconExW(Converter.c_str(), -1, nullptr, nullptr, 0), 1u);
}

// A version string of the program file's English block.
std::wstring versionText(const std::vector<BYTE>& info, const wchar_t* name)
{
    void* text = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), key.c_str(), &text, &length))
        return {};
    return static_cast<const wchar_t*>(text);
}

TEST(ProgramFile, BothCarryTheProjectVersionUnderTheirOwnName)
{
    for (const std::wstring& program : {Program, Converter}) {
        std::vector<BYTE> info(GetFileVersionInfoSizeW(program.c_str(), nullptr));
        ASSERT_FALSE(info.empty());
        ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        EXPECT_EQ(versionText(info, L"ProductVersion"), wide(ORVANTIS_VERSION));
        EXPECT_TRUE(program.ends_with(versionText(info, L"OriginalFilename")));
        EXPECT_FALSE(versionText(info, L"FileDescription").empty());
        void* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &fixed, &length));
        EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS,
                  static_cast<DWORD>(ORVANTIS_VERSION_MAJOR << 16 | ORVANTIS_VERSION_MINOR));
    }
}

// The manifest resource of a program file, as text.
std::string manifestOf(const std::wstring& program)
{
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return {};
    std::string text;
    if (HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
        text.assign(bytes, SizeofResource(module, resource));
    }
    FreeLibrary(module);
    return text;
}

TEST(ProgramFile, BothProgramsTakeUtf8AndLongPaths)
{
    for (const std::wstring& program : {Program, Converter}) {
        const std::string manifest = manifestOf(program);
        EXPECT_NE(manifest.find(">UTF-8</activeCodePage>"), std::string::npos) << manifest;
        EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos) << manifest;
    }
}

} // namespace
