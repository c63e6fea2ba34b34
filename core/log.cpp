#include "core/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

LogCallback logSink = nullptr;
int16_t verboseLog = 0;

namespace {

void errorToStderr(const char* text)
{
    std::fputs(text, stderr);
    const std::size_t n = std::strlen(text);
    if (n == 0 || text[n - 1] != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

ErrorBoxHook errorBox = errorToStderr;

enum class Box { None, Show };

// Formats into a buffer of N bytes (vsnprintf cuts a longer text, never
// writing past it), hands the text to the log, then to the error box.
template <std::size_t N>
void deliver(Box box, const char* format, va_list args)
{
    char text[N];
    std::vsnprintf(text, N, format, args);
    if (logSink)
        logSink(text);
    if (box == Box::Show)
        errorBox(text);
}

} // namespace

ErrorBoxHook setErrorBoxHook(ErrorBoxHook hook)
{
    const ErrorBoxHook previous = errorBox;
    errorBox = hook ? hook : errorToStderr;
    return previous;
}

void logMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    deliver<256>(Box::None, format, args);
    va_end(args);
}

void logDebug(const char* format, ...)
{
    if (verboseLog == 0)
        return;
    va_list args;
    va_start(args, format);
    deliver<512>(Box::None, format, args);
    va_end(args);
}

void logError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    deliver<256>(Box::Show, format, args);
    va_end(args);
}
