#include "cli/posix/stop_relay.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <iterator>

namespace {

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t StopSignalCount = std::size(StopSignals);

static_assert(std::atomic<pid_t>::is_always_lock_free, "a signal handler reads the ids");

struct Record {
    std::atomic<pid_t> children[stop_relay::MaxChildren]{};
    std::size_t count = 0;
    struct sigaction previous[StopSignalCount] {};
    bool installed[StopSignalCount]{};
};

Record record;

std::size_t indexOf(int signalNumber)
{
    std::size_t i = 0;
    while (i + 1 < StopSignalCount && StopSignals[i] != signalNumber)
        ++i;
    return i;
}

extern "C" void passStopOn(int signalNumber)
{
    for (const std::atomic<pid_t>& child : record.children) {
        const pid_t id = child.load();
        if (id > 0)
            kill(id, signalNumber);
    }
    // Raised again under the handler before, which ends this process once
    // this one returns.
    sigaction(signalNumber, &record.previous[indexOf(signalNumber)], nullptr);
    raise(signalNumber);
}

} // namespace

namespace stop_relay {

void install()
{
    struct sigaction relay {};
    relay.sa_handler = passStopOn;
    relay.sa_flags = SA_RESTART;
    sigemptyset(&relay.sa_mask);
    for (const int signalNumber : StopSignals)
        sigaddset(&relay.sa_mask, signalNumber);
    for (std::size_t i = 0; i < StopSignalCount; ++i) {
        record.installed[i] = sigaction(StopSignals[i], nullptr, &record.previous[i]) == 0 &&
                              record.previous[i].sa_handler != SIG_IGN &&
                              sigaction(StopSignals[i], &relay, nullptr) == 0;
    }
}

void uninstall()
{
    for (std::size_t i = 0; i < StopSignalCount; ++i)
        if (record.installed[i])
            sigaction(StopSignals[i], &record.previous[i], nullptr);
    for (std::atomic<pid_t>& child : record.children)
        child.store(0);
    record.count = 0;
}

bool full()
{
    return record.count == MaxChildren;
}

void add(pid_t child)
{
    for (std::atomic<pid_t>& slot : record.children)
        if (slot.load() == 0) {
            slot.store(child);
            ++record.count;
            return;
        }
}

void remove(pid_t child)
{
    for (std::atomic<pid_t>& slot : record.children)
        if (slot.load() == child) {
            slot.store(0);
            --record.count;
            return;
        }
}

void tieChildTo(pid_t parent)
{
    uninstall();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The batch may have ended before the tie was made.
    if (getppid() != parent)
        raise(SIGTERM);
}

} // namespace stop_relay
