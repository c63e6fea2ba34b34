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

// vsnprintf never writes past the buffer; a longer text is cut to fit.
template <std::size_t N>
void formatInto(char (&buffer)[N], const char* format, va_list args)
{
    std::vsnprintf(buffer, N, format, args);
}

} // namespace

void setErrorBoxHook(ErrorBoxHook hook)
{
    errorBox = hook ? hook : errorToStderr;
}

void logMessage(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    formatInto(text, format, args);
    va_end(args);
    if (logSink)
        logSink(text);
}

void logDebug(const char* format, ...)
{
    if (verboseLog == 0)
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    formatInto(text, format, args);
    va_end(args);
    if (logSink)
        logSink(text);
}

void logError(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    formatInto(text, format, args);
    va_end(args);
    if (logSink)
        logSink(text);
    errorBox(text);
}
