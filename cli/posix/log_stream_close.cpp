#include "cli/log_stream.h"

#include <csignal>

void keepRunningWhenLogStreamCloses()
{
    std::signal(SIGPIPE, SIG_IGN);
}
