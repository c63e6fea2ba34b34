#include "cli/log_block.h"

#include "cli/log_stream.h"
#include "core/temporary_file.h"

#include <unistd.h>

namespace {

// Copies the whole of the file behind fd, whoever wrote it, to target.
void copyWhole(int fd, std::FILE* target)
{
    char buffer[65536];
    if (lseek(fd, 0, SEEK_SET) < 0)
        return;
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        writeLog(target, buffer, static_cast<std::size_t>(n));
    flushLog(target);
}

} // namespace

LogBlock::LogBlock() : out_(openTemporaryFile()), err_(openTemporaryFile()) {}

int LogBlock::outFd() const
{
    return fileno(out_.get());
}

int LogBlock::errFd() const
{
    return fileno(err_.get());
}

void LogBlock::addError(const std::string& line)
{
    // The descriptor's offset is shared with the writers; append at its end.
    std::fseek(err_.get(), 0, SEEK_END);
    std::fprintf(err_.get(), "%s\n", line.c_str());
    std::fflush(err_.get());
}

void LogBlock::printTo(std::FILE* out, std::FILE* err) const
{
    copyWhole(outFd(), out);
    copyWhole(errFd(), err);
}
