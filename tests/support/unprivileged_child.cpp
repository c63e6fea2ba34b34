#include "unprivileged_child.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool dropPrivileges()
{
    if (geteuid() != 0) {
        return true;
    }
    const passwd* nobody = getpwnam("nobody");
    return nobody && setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0;
}

} // namespace

int runInChild(const std::function<int()>& work, ChildPrivileges privileges)
{
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

WriteProtection::WriteProtection(std::vector<fs::path> paths)
{
    const fs::perms readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const fs::perms enterable = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    for (fs::path above = paths.front().parent_path(); above != above.root_path(); above = above.parent_path()) {
        const fs::perms current = fs::status(above).permissions();
        if ((current & fs::perms::others_exec) == fs::perms::none) {
            saved_.emplace_back(above, current);
            fs::permissions(above, fs::perms::others_exec, fs::perm_options::add);
        }
    }
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
