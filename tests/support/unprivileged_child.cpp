#include "unprivileged_child.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace fs = std::filesystem;

namespace {

// Root keeps its user id, and so reaches every path it made, but loses the
// power to pass over permission bits, also in a program it starts: the
// capabilities leave the bounding set too, which exec would grant again from.
bool dropPrivileges()
{
    if (geteuid() != 0)
        return true;
    for (int capability = 0; prctl(PR_CAPBSET_READ, capability) >= 0; ++capability)
        if (prctl(PR_CAPBSET_DROP, capability) != 0)
            return false;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    return syscall(SYS_capset, &header, data) == 0;
}

void writeAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

std::string readAll(int fd)
{
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<std::size_t>(n));
    return text;
}

} // namespace

int runInChild(const std::function<int()>& work, ChildPrivileges privileges)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        const bool bound = privileges == ChildPrivileges::Kept || dropPrivileges();
        _exit(bound ? work() : PrivilegesNotDropped);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

std::string runInChildForText(const std::function<std::string()>& work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return "child failed: no pipe";
    const int status = runInChild([&] {
        close(channel[0]);
        writeAll(channel[1], work());
        return 0;
    });
    close(channel[1]);
    const std::string text = readAll(channel[0]);
    close(channel[0]);
    if (status != 0)
        return "child failed: status " + std::to_string(status);
    return text;
}

WriteProtection::WriteProtection(std::vector<fs::path> paths)
{
    const fs::perms readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const fs::perms enterable = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    for (const fs::path& path : paths) {
        saved_.emplace_back(path, fs::status(path).permissions());
        fs::permissions(path, fs::is_directory(path) ? readable | enterable : readable);
    }
}

WriteProtection::~WriteProtection()
{
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        std::error_code ignored;
        fs::permissions(it->first, it->second, ignored);
    }
}
