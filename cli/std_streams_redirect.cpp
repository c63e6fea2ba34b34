#include "cli/std_streams_redirect.h"

#include "cli/log_stream.h"

#include <cstdio>
#include <unistd.h>

namespace {

// Points the two standard descriptors at out and err, first writing out what
// stdio still holds for the old ones.
bool pointStdStreamsAt(int out, int err)
{
    flushLog(stdout);
    flushLog(stderr);
    return dup2(out, STDOUT_FILENO) >= 0 && dup2(err, STDERR_FILENO) >= 0;
}

void closeIfOpen(int fd)
{
    if (fd >= 0)
        close(fd);
}

} // namespace

StdStreamsRedirect::StdStreamsRedirect(int outFd, int errFd)
    : savedOut_(dup(STDOUT_FILENO)), savedErr_(dup(STDERR_FILENO))
{
    if (savedOut_ < 0 || savedErr_ < 0)
        return;
    active_ = pointStdStreamsAt(outFd, errFd);
    if (!active_)
        putBack();
}

StdStreamsRedirect::~StdStreamsRedirect()
{
    if (active_)
        putBack();
    closeIfOpen(savedOut_);
    closeIfOpen(savedErr_);
}

void StdStreamsRedirect::putBack()
{
    pointStdStreamsAt(savedOut_, savedErr_);
}
