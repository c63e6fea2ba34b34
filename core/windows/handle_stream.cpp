#include "core/windows/handle_stream.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>

std::FILE* streamOverHandle(void* handle, int openFlags, const char* mode)
{
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), openFlags | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* stream = _fdopen(fd, mode);
    if (!stream)
        _close(fd);
    return stream;
}
