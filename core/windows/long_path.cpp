#include "core/windows/long_path.h"

#include "core/windows/wide_text.h"

#include <windows.h>

namespace {

// The shortest limit of the calls: a folder's path must leave room for an
// 8.3 file name below MAX_PATH.
constexpr std::size_t ShortPathLimit = MAX_PATH - 12;

bool isDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// The path with the current folder's in front of a relative one, its
// separators made backslashes and its "." and ".." parts resolved.
std::wstring fullPath(const std::wstring& path)
{
    std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return path; // the call that uses it tells what is wrong
    full.resize(length);
    return full;
}

} // namespace

std::wstring extendedLengthPath(const std::wstring& fullPath)
{
    if (fullPath.size() >= 3 && isDriveLetter(fullPath[0]) && fullPath[1] == L':' && fullPath[2] == L'\\')
        return L"\\\\?\\" + fullPath;
    const bool uncOrDevice = fullPath.starts_with(L"\\\\");
    const bool alreadyExtended = fullPath.starts_with(L"\\\\?\\") || fullPath.starts_with(L"\\\\.\\");
    if (uncOrDevice && !alreadyExtended)
        return L"\\\\?\\UNC\\" + fullPath.substr(2);
    return fullPath;
}

std::wstring widePathFromUtf8(const std::string& path)
{
    std::wstring wide = wideFromUtf8(path);
    if (wide.size() < ShortPathLimit)
        return wide;
    return extendedLengthPath(fullPath(wide));
}
