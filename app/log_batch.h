#pragma once
// Log text written on any thread, waiting for the event thread to show it
// in one go.

#include <QString>

#include <mutex>
#include <utility>

class LogBatch {
public:
    // True when the batch was empty: whoever shows it must be told.
    bool add(const QString& text)
    {
        const std::lock_guard lock(mutex_);
        const bool first = text_.isEmpty();
        text_ += text;
        return first;
    }

    QString take()
    {
        const std::lock_guard lock(mutex_);
        return std::exchange(text_, QString());
    }

private:
    std::mutex mutex_;
    QString text_;
};
