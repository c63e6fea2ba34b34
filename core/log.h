#pragma once
// The three message functions of the processing side. All text goes to one
// callback; errors additionally sound a beep and show a box through a hook
// that the window side installs (without windows the box is a stderr line).

#include <cstdint>

using LogCallback = void (*)(const char* text);
using ErrorBoxHook = void (*)(const char* text);

extern LogCallback logSink;
extern int16_t verboseLog;

void logMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Installs the box that logError shows after the text reached the log; null
// restores the default, which writes the text to stderr. Returns the hook
// that was installed before.
ErrorBoxHook setErrorBoxHook(ErrorBoxHook hook);
