#pragma once
// The worker's side of a run's progress: the latest figures of the file
// being converted, kept for the event thread. The event thread is woken at
// the first figures of every file and then at most every WakeInterval, so
// that a fast run stays fast; the progress sink answers the run's
// cancellation.

#include "conversion/conversion.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

class ProgressFeed {
public:
    static constexpr std::chrono::milliseconds WakeInterval{50};

    // wake is called on the worker; it must only post to the event thread.
    explicit ProgressFeed(std::function<void()> wake) : wake_(std::move(wake)) {}

    // Worker: a file begins; its first figures wake the event thread.
    void startFile();
    // Worker: the progress sink; false once the run is cancelled.
    bool report(const ConversionProgress& at);

    // Event thread: the latest figures; later ones wake it again.
    ConversionProgress take();
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

private:
    std::function<void()> wake_;
    std::mutex mutex_;
    ConversionProgress latest_; // guarded by mutex_
    std::atomic<bool> wakePending_{false};
    std::atomic<bool> cancelled_{false};
    // The worker's own.
    bool firstOfFile_ = true;
    std::chrono::steady_clock::time_point lastWake_;
};
