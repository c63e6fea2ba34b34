#include "core/log.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Formats the whole text, however long: most texts fit the buffer on the
// stack, a longer one is formatted again into one of its size.
void deliver(const Log& log, bool box, const char* format, va_list args)
{
    char text[512];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    std::string longText;
    const char* whole = text;
    if (length >= static_cast<int>(sizeof text)) {
        longText.resize(static_cast<std::size_t>(length));
        std::vsnprintf(longText.data(), longText.size() + 1, format, again);
        whole = longText.c_str();
    }
    va_end(again);
    if (log.sink)
        log.sink(whole);
    if (!box)
        return;
    if (log.errorBox)
        log.errorBox(whole);
    else
        errorToStderr(whole);
}

} // namespace

void errorToStderr(const char* text)
{
    std::fputs(text, stderr);
    const std::size_t n = std::strlen(text);
    if (n == 0 || text[n - 1] != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

void Log::write(Kind kind, const char* format, va_list args) const
{
    if (kind == Kind::Debug && !verbose)
        return;
    deliver(*this, kind == Kind::Error, format, args);
}

void Log::message(const char* format, ...) const
{
    va_list args;
    va_start(args, format);
    write(Kind::Message, format, args);
    va_end(args);
}

void Log::debug(const char* format, ...) const
{
    va_list args;
    va_start(args, format);
    write(Kind::Debug, format, args);
    va_end(args);
}

void Log::error(const char* format, ...) const
{
    va_list args;
    va_start(args, format);
    write(Kind::Error, format, args);
    va_end(args);
}
