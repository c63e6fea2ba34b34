#include "conversion/interrupt_cleanup.h"

#include "conversion/pending_output.h"
#include "conversion/posix/interrupts_waiting.h"

#include <pthread.h>
#include <signal.h>

#include <iterator>

namespace {

constexpr int InterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeOutputAndEnd(int signalNumber)
{
    removePendingOutputs();
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

bool ignored(int signalNumber)
{
    struct sigaction current {};
    return sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

} // namespace

void installInterruptCleanup()
{
    // A signal ignored from the start (nohup, a background job's SIGINT)
    // stays ignored.
    for (const int signalNumber : InterruptSignals)
        if (!ignored(signalNumber))
            signal(signalNumber, removeOutputAndEnd);
    signal(SIGXFSZ, SIG_IGN);
}

InterruptsHeldBack::InterruptsHeldBack()
{
    sigset_t interrupts;
    sigemptyset(&interrupts);
    for (const int signalNumber : InterruptSignals)
        sigaddset(&interrupts, signalNumber);
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &interrupts, &before);
    for (std::size_t i = 0; i < std::size(InterruptSignals); ++i)
        if (sigismember(&before, InterruptSignals[i]) == 1)
            heldBefore_ |= 1u << i;
}

InterruptsHeldBack::~InterruptsHeldBack()
{
    sigset_t released;
    sigemptyset(&released);
    for (std::size_t i = 0; i < std::size(InterruptSignals); ++i)
        if ((heldBefore_ & (1u << i)) == 0)
            sigaddset(&released, InterruptSignals[i]);
    pthread_sigmask(SIG_UNBLOCK, &released, nullptr);
}

bool interruptWaiting()
{
    sigset_t waiting;
    if (sigpending(&waiting) != 0)
        return false;
    for (const int signalNumber : InterruptSignals)
        if (sigismember(&waiting, signalNumber) == 1)
            return true;
    return false;
}
