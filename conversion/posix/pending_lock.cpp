#include "conversion/posix/pending_lock.h"

#include "conversion/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

// Open file description locks rather than flock: the NetCDF library opens the
// temporary again by name and flocks it itself, which an flock held here
// would refuse, while the two kinds never meet. Unlike the older fcntl locks
// they belong to the open file, not the process, so they are neither lost
// when the library closes its own descriptor nor shared with another thread
// of this process that converts the same output.

namespace {

// 0, or the system's reason; EAGAIN or EACCES when another open file holds a
// conflicting lock.
int lockWithoutWaiting(int fd, short type)
{
    struct flock whole {};
    whole.l_type = type;
    whole.l_whence = SEEK_SET;
    return fcntl(fd, F_OFD_SETLK, &whole) == 0 ? 0 : errno;
}

bool isHeldElsewhere(int error)
{
    return error == EAGAIN || error == EACCES;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether path still names the file open as fd.
bool stillNamed(int fd, const std::string& path)
{
    struct stat opened {};
    struct stat named {};
    return fstat(fd, &opened) == 0 && lstat(path.c_str(), &named) == 0 && sameFile(opened, named);
}

} // namespace

// A remover may open the new file and lock it between its creation and the
// lock taken here. It only removes what it holds locked and still finds
// under the name, and keeps its lock until it has removed it. So when the
// lock here fails, the file is being removed; and when it succeeds, the name
// still naming this very file proves that no remover got there first: one
// that did has removed the name before letting the lock go.
bool holdNewTemporary(int fd, const std::string& path)
{
    const int error = lockWithoutWaiting(fd, F_WRLCK);
    if (isHeldElsewhere(error))
        return false;
    // A file system without locks cannot tell, so nothing there is ever
    // removed as left behind (a remover cannot lock either) and the
    // temporary is written unlocked.
    return error != 0 || stillNamed(fd, path);
}

// A read lock is enough to learn that no writer holds the file, and needs
// no write permission on it.
void removeIfUnheld(const std::string& path)
{
    struct stat named {};
    // Looked at before opening, so that nothing but a regular file is ever
    // opened (a device may act on being opened).
    if (lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode))
        return;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened {};
    if (fstat(fd, &opened) == 0 && sameFile(opened, named) && lockWithoutWaiting(fd, F_RDLCK) == 0 &&
        stillNamed(fd, path))
        ::unlink(path.c_str());
    ::close(fd);
}
