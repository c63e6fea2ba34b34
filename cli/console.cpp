#include "cli/console.h"

#include "cli/log_stream.h"

#include <cstdio>

void Console::log(std::string_view text)
{
    const std::lock_guard lock(mutex_);
    if (logShared_)
        clearStatusLocked();
    writeLog(stdout, text.data(), text.size());
}

void Console::error(const std::string& text)
{
    const std::lock_guard lock(mutex_);
    clearStatusLocked();
    flushLog(stdout); // what the log said before the error comes first on a shared terminal
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

void Console::status(const std::string& text)
{
    if (!showStatus_)
        return;
    const std::lock_guard lock(mutex_);
    flushLog(stdout);
    // Spaces cover what a longer line before left; no terminal codes needed.
    const std::string padding(statusWidth_ > text.size() ? statusWidth_ - text.size() : 0, ' ');
    std::fprintf(stderr, "\r%s%s", text.c_str(), padding.c_str());
    std::fflush(stderr);
    statusWidth_ = text.size();
}

void Console::clearStatus()
{
    const std::lock_guard lock(mutex_);
    clearStatusLocked();
}

void Console::clearStatusLocked()
{
    if (statusWidth_ == 0)
        return;
    std::fprintf(stderr, "\r%s\r", std::string(statusWidth_, ' ').c_str());
    std::fflush(stderr);
    statusWidth_ = 0;
}
