#include "conversion/file_window.h"

#include <io.h>
#include <windows.h>

#include <algorithm>

namespace {

HANDLE handleOf(int descriptor)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

} // namespace

FileOffset descriptorFileSize(int descriptor)
{
    LARGE_INTEGER size{};
    return GetFileSizeEx(handleOf(descriptor), &size) ? static_cast<FileOffset>(size.QuadPart) : -1;
}

// A read with the position in its OVERLAPPED; one call reads at most 4 GiB.
std::int64_t readAtPosition(int descriptor, unsigned char* into, std::size_t count, FileOffset position)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(position) & 0xffffffffu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(position) >> 32);
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(count, MAXDWORD));
    DWORD got = 0;
    if (!ReadFile(handleOf(descriptor), into, wanted, &got, &at))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return got;
}
