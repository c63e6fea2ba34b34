#include "desktop/posix/desktop_process.h"

#include "desktop/posix/desktop_fd.h"
#include "desktop/desktop_file_types.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace desktop {

namespace {

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

std::string systemMessage(int error)
{
    return std::strerror(error);
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            text.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            return text;
    }
}

int waitForExit(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

} // namespace

ProgramResult runProgram(const std::vector<std::string>& arguments, ErrorOutput errors)
{
    const std::string& program = arguments.at(0);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        throw DesktopRegistrationError("cannot run " + program + ": " + systemMessage(errno));
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);

    SpawnActions actions;
    posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);
    if (errors == ErrorOutput::Collect)
        posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    int error = posix_spawnp(&pid, program.c_str(), actions.get(), nullptr, argv.data(), environ);
    if (error != 0)
        throw DesktopRegistrationError("cannot run " + program + ": " + systemMessage(error));
    writeEnd.reset(); // so that reading ends when the program closes its side

    ProgramResult result;
    result.output = readAll(readEnd.get());
    result.exitStatus = waitForExit(pid);
    return result;
}

bool programOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    size_t start = 0;
    for (;;) {
        size_t end = folders.find(':', start);
        std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

std::string runTool(const std::vector<std::string>& arguments)
{
    ProgramResult result = runProgram(arguments, ErrorOutput::Collect);
    if (result.exitStatus != 0) {
        std::string message = arguments.at(0) + " failed with exit status " + std::to_string(result.exitStatus);
        if (!result.output.empty())
            message += ": " + result.output;
        throw DesktopRegistrationError(message);
    }
    return result.output;
}

} // namespace desktop
