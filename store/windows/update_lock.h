#pragma once
// The lock that makes one update of the registry store wait for another
// copy's: a mutex named for the user's session, held from the start of an
// update to its end.

#include <chrono>

class UpdateLock {
public:
    // Waits up to `wait` for another copy's update; throws KeyStoreError
    // (Busy) when it is still running then.
    explicit UpdateLock(std::chrono::milliseconds wait);
    ~UpdateLock();
    UpdateLock(const UpdateLock&) = delete;
    UpdateLock& operator=(const UpdateLock&) = delete;

private:
    void* mutex_; // the HANDLE, without <windows.h> in this header
};
