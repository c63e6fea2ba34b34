#include "held_processes.h"

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <sstream>

namespace {

// The state letter of /proc/PID/stat; 0 when the process is gone.
char stateOf(pid_t process)
{
    std::ifstream in("/proc/" + std::to_string(process) + "/stat");
    std::ostringstream text;
    text << in.rdbuf();
    const std::string stat = text.str();
    // The command name in parentheses may hold anything; the fields after it
    // are plain.
    const auto nameEnd = stat.rfind(')');
    return nameEnd == std::string::npos || nameEnd + 2 >= stat.size() ? 0 : stat[nameEnd + 2];
}

bool endsWith(const std::string& text, const std::string& ending)
{
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

} // namespace

void holdStill(pid_t process)
{
    kill(process, SIGSTOP);
    for (char state = stateOf(process); state != 0 && state != 'T' && state != 'Z' && state != 'X';
         state = stateOf(process))
        sched_yield();
}

FolderWatch::FolderWatch(const std::filesystem::path& folder) : fd_(inotify_init1(IN_CLOEXEC))
{
    if (fd_ >= 0 && inotify_add_watch(fd_, folder.c_str(), IN_CREATE) < 0) {
        close(fd_);
        fd_ = -1;
    }
}

FolderWatch::~FolderWatch()
{
    if (fd_ >= 0)
        close(fd_);
}

bool FolderWatch::waitForCreated(const std::string& ending, int count)
{
    return waitForCreated(ending, count, -1);
}

bool FolderWatch::waitForCreated(const std::string& ending, int count, int alive)
{
    alignas(inotify_event) char buffer[sizeof(inotify_event) + NAME_MAX + 1];
    while (fd_ >= 0 && count > 0) {
        pollfd ends[] = {{fd_, POLLIN, 0}, {alive, POLLIN, 0}}; // a negative descriptor is passed over
        if (poll(ends, 2, -1) < 0 || (ends[0].revents & POLLIN) == 0)
            return false;
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && endsWith(event->name, ending))
                --count;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return fd_ >= 0;
}
