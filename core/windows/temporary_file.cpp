#include "core/temporary_file.h"

#include "core/windows/handle_stream.h"

#include <fcntl.h>
#include <windows.h>

#include <cerrno>

// tmpfile() of the Windows C library writes to the root of the current drive,
// where a normal user may not write: the scratch file goes to the user's
// temporary folder instead, and the system deletes it when it is closed.
std::FILE* openTemporaryFile()
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"orv", 0, name) == 0) {
        errno = EACCES;
        return nullptr;
    }
    const HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DeleteFileW(name);
        errno = EACCES;
        return nullptr;
    }
    return streamOverHandle(handle, _O_RDWR, "w+b");
}
