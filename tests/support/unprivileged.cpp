#include "unprivileged.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace {

// Root keeps its user id but loses the power to pass over permission bits.
bool dropCapabilities()
{
    if (geteuid() != 0)
        return true;
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

std::string runWithoutPrivileges(const std::function<std::string()>& body)
{
    int channel[2];
    if (pipe(channel) != 0)
        return "child failed: no pipe";
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        writeAll(channel[1], dropCapabilities() ? body() : "child failed: capabilities kept");
        _exit(0);
    }
    close(channel[1]);
    const std::string text = child > 0 ? readAll(channel[0]) : "child failed: no process";
    close(channel[0]);
    int status = 0;
    if (child > 0 && (waitpid(child, &status, 0) != child || !WIFEXITED(status)))
        return "child failed: ended abnormally";
    return text;
}
