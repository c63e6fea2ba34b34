#pragma once
// Owning POSIX file descriptor, so every path out of a function closes it.

#include <unistd.h>

namespace desktop {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = other.release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release()
    {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now; returns false when close reports an error (a lost write).
    bool close()
    {
        if (fd_ < 0)
            return true;
        return ::close(release()) == 0;
    }
    void reset() { close(); }

private:
    int fd_ = -1;
};

} // namespace desktop
