#include "core/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

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

// Formats the whole text, however long: most texts fit the buffer on the
// stack, a longer one is formatted again into one of its size.
void deliver(Box box, const char* format, va_list args)
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
    if (logSink)
        logSink(whole);
    if (box == Box::Show)
        errorBox(whole);
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
    deliver(Box::None, format, args);
    va_end(args);
}

void logDebug(const char* format, ...)
{
    if (verboseLog == 0)
        return;
    va_list args;
    va_start(args, format);
    deliver(Box::None, format, args);
    va_end(args);
}

void logError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    deliver(Box::Show, format, args);
    va_end(args);
}
