#pragma once

#include <memory>
#include <string>

// A lock on a whole file that another open of it holds, as another program
// would: flock on POSIX, LockFileEx on Windows (the kinds of lock the
// calibration reader takes and respects).
class ForeignLock {
public:
    explicit ForeignLock(const std::string& path);
    ~ForeignLock();
    ForeignLock(const ForeignLock&) = delete;
    ForeignLock& operator=(const ForeignLock&) = delete;

    bool lock();    // exclusive, without waiting
    bool canLock(); // shared, without waiting
    void unlock();

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};
