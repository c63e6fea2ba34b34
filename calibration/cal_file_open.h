#pragma once
// Opens a calibration file read-only with a shared hold on it: any number of
// readers share it, and it keeps a cooperating writer (one that takes an
// exclusive hold) from changing the file while it is being read. Only a
// regular file of at most maxSize bytes is opened.

#include "core/file_handle.h"

#include <cstdint>
#include <functional>
#include <string>

// How long a writer's exclusive hold is waited out before giving up.
constexpr int CAL_LOCK_ATTEMPTS = 20;
constexpr int CAL_LOCK_RETRY_MILLISECONDS = 50;

// Waits CAL_LOCK_RETRY_MILLISECONDS.
void pauseBeforeLockRetry();

// Throws CalFileOpenError with the reason when the file cannot be used.
// pause runs between two attempts at the lock while a writer holds it (a
// test ends the hold there).
FileHandle openCalFileShared(const std::string& fileName, std::uint64_t maxSize,
                             const std::function<void()>& pause = pauseBeforeLockRetry);

[[noreturn]] void failCalFileOpen(const std::string& fileName, const std::string& reason);
std::string calFileTooLargeText();
