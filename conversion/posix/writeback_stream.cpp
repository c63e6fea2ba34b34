#include "conversion/posix/writeback_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace {

// Large enough that asking costs nothing against the writing, small enough
// that the disk starts early in an output of a few megabytes.
constexpr off_t WRITEBACK_STEP = 4 << 20;

struct Writeback {
    int descriptor;
    off_t written = 0;
    off_t started = 0; // bytes before this are on their way to the disk
};

// Only a hint: a file system without it still syncs at the end.
void startWriteback(Writeback& file)
{
    if (file.written - file.started < WRITEBACK_STEP)
        return;
    sync_file_range(file.descriptor, file.started, file.written - file.started, SYNC_FILE_RANGE_WRITE);
    file.started = file.written;
}

ssize_t writeAll(void* cookie, const char* data, size_t size)
{
    auto& file = *static_cast<Writeback*>(cookie);
    size_t done = 0;
    while (done < size) {
        const ssize_t count = ::write(file.descriptor, data + done, size - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return 0; // the stream's error, errno telling why
        done += static_cast<size_t>(count);
        file.written += count;
    }
    startWriteback(file);
    return static_cast<ssize_t>(done);
}

int closeFile(void* cookie)
{
    auto* file = static_cast<Writeback*>(cookie);
    const int result = ::close(file->descriptor);
    delete file;
    return result;
}

} // namespace

std::FILE* openWritebackStream(int descriptor)
{
    auto* file = new (std::nothrow) Writeback{descriptor};
    if (!file) {
        errno = ENOMEM;
        return nullptr;
    }
    std::FILE* stream = fopencookie(file, "wb", {nullptr, writeAll, nullptr, closeFile});
    if (!stream)
        delete file;
    return stream;
}
