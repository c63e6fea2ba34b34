#include "cli/log_stream.h"

#include <cerrno>
#include <cstring>

namespace {

// The stream's error flag, set by the failed write, keeps this to once per stream.
void tellLogStreamError(int error)
{
    std::fprintf(stderr, "orvantis-cli: cannot write the log: %s; the conversions go on without it\n",
                 std::strerror(error));
}

} // namespace

void writeLog(std::FILE* stream, const char* data, std::size_t size)
{
    if (std::ferror(stream))
        return;
    if (std::fwrite(data, 1, size, stream) != size)
        tellLogStreamError(errno);
}

void flushLog(std::FILE* stream)
{
    const bool failedBefore = std::ferror(stream);
    if (std::fflush(stream) == EOF && !failedBefore)
        tellLogStreamError(errno);
}
