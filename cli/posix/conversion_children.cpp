#include "cli/conversion_children.h"

#include "cli/posix/stop_relay.h"
#include "conversion/interrupt_cleanup.h"

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>

namespace {

// The outcome a child's end stands for, or nothing when it did not end
// through a conversion result.
std::optional<FileOutcome> outcomeOf(int waitStatus)
{
    if (!WIFEXITED(waitStatus))
        return std::nullopt;
    const int code = WEXITSTATUS(waitStatus);
    if (code < static_cast<int>(FileOutcome::Converted) || code > static_cast<int>(FileOutcome::CalibrationUnreadable))
        return std::nullopt;
    return static_cast<FileOutcome>(code);
}

std::string describeAbnormalEnd(int waitStatus)
{
    if (WIFSIGNALED(waitStatus))
        return strsignal(WTERMSIG(waitStatus));
    return "exit status " + std::to_string(WEXITSTATUS(waitStatus));
}

} // namespace

struct ConversionChildren::Processes {
    Processes() { stop_relay::install(); }
    ~Processes() { stop_relay::uninstall(); }
    Processes(const Processes&) = delete;
    Processes& operator=(const Processes&) = delete;

    std::map<pid_t, std::size_t> files; // the running children's files
};

ConversionChildren::ConversionChildren(const FileSteps& steps) : steps_(steps), processes_(new Processes) {}

ConversionChildren::~ConversionChildren() = default;

// The child inherits the standard streams that lead to the file's log and the
// calibration table this process loaded while preparing it. A stop between
// the fork and the child's being known to the relay waits until it is known.
bool ConversionChildren::start(std::size_t file, const std::string& path, const LogBlock&,
                               const std::function<void()>& releaseInChild)
{
    if (stop_relay::full())
        return false;
    const pid_t parent = getpid();
    pid_t child = -1;
    {
        const InterruptsHeldBack held;
        child = fork();
        if (child == 0)
            stop_relay::tieChildTo(parent);
        else if (child > 0)
            stop_relay::add(child);
    }
    if (child < 0)
        return false;
    if (child == 0) {
        // An escaping exception ends the child through terminate, which the
        // parent reports as an abnormal end; it never returns into the loop.
        releaseInChild();
        const FileOutcome outcome = steps_.convert(path);
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(static_cast<int>(outcome));
    }
    processes_->files[child] = file;
    return true;
}

std::optional<EndedChild> ConversionChildren::waitForOne()
{
    while (!processes_->files.empty()) {
        siginfo_t ended{};
        if (waitid(P_ALL, 0, &ended, WEXITED | WNOWAIT) != 0)
            return std::nullopt;
        const pid_t child = ended.si_pid;
        stop_relay::remove(child);
        int waitStatus = 0;
        waitpid(child, &waitStatus, 0);
        const auto found = processes_->files.find(child);
        if (found == processes_->files.end())
            continue;
        const std::size_t file = found->second;
        processes_->files.erase(found);
        return EndedChild{file, outcomeOf(waitStatus), describeAbnormalEnd(waitStatus)};
    }
    return std::nullopt;
}

int ConversionChildren::running() const
{
    return static_cast<int>(processes_->files.size());
}
