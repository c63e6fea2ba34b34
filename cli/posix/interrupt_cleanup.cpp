#include "cli/interrupt_cleanup.h"

#include "conversion/pending_output.h"

#include <csignal>

namespace {

extern "C" void removeOutputAndEnd(int signalNumber)
{
    removePendingOutputs();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

} // namespace

void installInterruptCleanup()
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signalNumber, removeOutputAndEnd);
}
