#include "core/file_path.h"

#include "core/windows/wide_text.h"

#include <windows.h>

// Windows paths are UTF-16; a narrow std::filesystem::path would take the
// text in the C library's code page instead of UTF-8.
std::filesystem::path pathFromUtf8(const std::string& text)
{
    return wideFromUtf8(text);
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    return utf8FromWide(path.wstring());
}

std::filesystem::path caseFoldedForSystem(const std::filesystem::path& path)
{
    std::wstring text = path.wstring();
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}
