#include "calibration/cal_file_open.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void holdShared(int fd, const std::string& fileName, const std::function<void()>& pause)
{
    for (int attempt = 0; flock(fd, LOCK_SH | LOCK_NB) != 0; ++attempt) {
        const int error = errno;
        if (error != EWOULDBLOCK)
            failCalFileOpen(fileName, std::strerror(error));
        if (attempt == CAL_LOCK_ATTEMPTS)
            failCalFileOpen(fileName, "locked by another program");
        pause();
    }
}

} // namespace

void pauseBeforeLockRetry()
{
    usleep(CAL_LOCK_RETRY_MILLISECONDS * 1000);
}

// Read-only is enough: the reader never writes, and a write-protected
// calibration file must still load. Only a regular file is read: a FIFO
// would wait for a writer and a device could give data without end. The
// open does not wait for a FIFO's writer.
FileHandle openCalFileShared(const std::string& fileName, std::uint64_t maxSize, const std::function<void()>& pause)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        failCalFileOpen(fileName, std::strerror(errno));
    FileHandle file(fdopen(fd, "rb"));
    if (!file) {
        const int error = errno;
        ::close(fd);
        failCalFileOpen(fileName, std::strerror(error));
    }
    struct stat info {};
    if (fstat(fd, &info) != 0)
        failCalFileOpen(fileName, std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        failCalFileOpen(fileName, "not a regular file");
    if (static_cast<uint64_t>(info.st_size) > maxSize)
        failCalFileOpen(fileName, calFileTooLargeText());
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    holdShared(fd, fileName, pause);
    return file;
}
