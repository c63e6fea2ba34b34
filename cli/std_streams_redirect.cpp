#include "cli/std_streams_redirect.h"

#include <cstdio>
#include <unistd.h>

namespace {

// Moves descriptor from onto to, first writing out what stdio still holds.
void redirectDescriptor(int from, int to)
{
    std::fflush(stdout);
    std::fflush(stderr);
    if (from >= 0)
        dup2(from, to);
}

} // namespace

StdStreamsRedirect::StdStreamsRedirect(int outFd, int errFd)
    : savedOut_(dup(STDOUT_FILENO)), savedErr_(dup(STDERR_FILENO))
{
    redirectDescriptor(outFd, STDOUT_FILENO);
    redirectDescriptor(errFd, STDERR_FILENO);
}

StdStreamsRedirect::~StdStreamsRedirect()
{
    redirectDescriptor(savedOut_, STDOUT_FILENO);
    redirectDescriptor(savedErr_, STDERR_FILENO);
    if (savedOut_ >= 0)
        close(savedOut_);
    if (savedErr_ >= 0)
        close(savedErr_);
}
