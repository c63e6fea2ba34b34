#include "core/regular_file.h"

#include "core/windows/long_path.h"

#include <io.h>
#include <windows.h>

#include <cerrno>

// A file on a disk; a device (NUL, CON) or a pipe is not read.
std::FILE* openRegularFile(const char* path)
{
    std::FILE* stream = _wfopen(widePathFromUtf8(path).c_str(), L"rb");
    if (!stream)
        return nullptr;
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)))) == FILE_TYPE_DISK)
        return stream;
    std::fclose(stream);
    errno = NOT_REGULAR_FILE;
    return nullptr;
}
