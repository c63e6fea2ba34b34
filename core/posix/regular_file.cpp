#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// 0 for a regular file, else why it is not to be read.
int irregularity(int fd)
{
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return errno;
    if (S_ISREG(info.st_mode))
        return 0;
    return S_ISDIR(info.st_mode) ? EISDIR : NOT_REGULAR_FILE;
}

} // namespace

// Opened without waiting, so that a FIFO is seen for what it is before any
// read; a regular file then reads as usual.
std::FILE* openRegularFile(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    int error = irregularity(fd);
    std::FILE* stream = nullptr;
    if (error == 0 && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
        stream = fdopen(fd, "rb");
    if (!stream) {
        error = error != 0 ? error : errno;
        ::close(fd);
        errno = error;
    }
    return stream;
}
