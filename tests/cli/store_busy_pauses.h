#pragma once
// The pauses SQLite's busy handler makes while another connection holds the
// store locked, seen without a clock: while a StoreBusyPauses lives, every
// connection of the process goes through the default file system layer with
// its sleep replaced. A pause is counted and summed instead of slept, and
// the first one of a run calls a hook, so a test can end another program's
// hold exactly while a command is waiting for it.

#include <chrono>
#include <functional>

struct sqlite3_vfs;

class StoreBusyPauses {
public:
    StoreBusyPauses();
    ~StoreBusyPauses();
    StoreBusyPauses(const StoreBusyPauses&) = delete;
    StoreBusyPauses& operator=(const StoreBusyPauses&) = delete;

    // Forgets the pauses so far; onFirstPause runs at the next pause.
    void restart(std::function<void()> onFirstPause = {});
    int count() const { return count_; }
    std::chrono::microseconds total() const { return total_; }

private:
    static int pause(sqlite3_vfs* layer, int microseconds);

    int count_ = 0;
    std::chrono::microseconds total_{0};
    std::function<void()> onFirstPause_;
};
