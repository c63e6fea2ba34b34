#include "app/progress_feed.h"

void ProgressFeed::startFile()
{
    const std::lock_guard lock(mutex_);
    latest_ = {};
    firstOfFile_ = true;
}

bool ProgressFeed::report(const ConversionProgress& at)
{
    {
        const std::lock_guard lock(mutex_);
        latest_ = at;
    }
    const auto now = std::chrono::steady_clock::now();
    if ((firstOfFile_ || now - lastWake_ >= WakeInterval) && !wakePending_.exchange(true)) {
        firstOfFile_ = false;
        lastWake_ = now;
        wake_();
    }
    return !cancelled_;
}

ConversionProgress ProgressFeed::take()
{
    const std::lock_guard lock(mutex_);
    wakePending_ = false;
    return latest_;
}
