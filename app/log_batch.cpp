#include "app/log_batch.h"

#include <utility>

bool LogBatch::add(const QString& text)
{
    const std::lock_guard lock(mutex_);
    const bool first = text_.isEmpty() && !replaces_;
    text_ += text;
    lineBreaks_ += text.count(QLatin1Char('\n'));
    if (lineBreaks_ >= maxLines_ + maxLines_ / 4) // trimmed now and then, not at every line
        keepLastLines();
    return first;
}

LogBatch::Text LogBatch::take()
{
    const std::lock_guard lock(mutex_);
    if (lineBreaks_ >= maxLines_)
        keepLastLines();
    Text batch{std::exchange(text_, QString()), replaces_};
    lineBreaks_ = 0;
    replaces_ = false;
    return batch;
}

// Drops whole lines from the start until maxLines lines are left, the last
// one the line still being written.
void LogBatch::keepLastLines()
{
    qsizetype start = 0;
    for (qsizetype dropped = lineBreaks_ - maxLines_ + 1; dropped > 0; --dropped)
        start = text_.indexOf(QLatin1Char('\n'), start) + 1;
    text_.remove(0, start);
    lineBreaks_ = maxLines_ - 1;
    replaces_ = true;
}
