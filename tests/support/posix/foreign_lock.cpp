#include "foreign_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

struct ForeignLock::Handle {
    int fd;
};

ForeignLock::ForeignLock(const std::string& path) : handle_(new Handle{open(path.c_str(), O_RDONLY)}) {}

ForeignLock::~ForeignLock()
{
    if (handle_->fd >= 0)
        close(handle_->fd);
}

bool ForeignLock::lock()
{
    return handle_->fd >= 0 && flock(handle_->fd, LOCK_EX | LOCK_NB) == 0;
}

bool ForeignLock::canLock()
{
    return handle_->fd >= 0 && flock(handle_->fd, LOCK_SH | LOCK_NB) == 0;
}

void ForeignLock::unlock()
{
    flock(handle_->fd, LOCK_UN);
}
