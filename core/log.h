#pragma once
// Where the processing side's text goes. A Log belongs to one conversion:
// its sink takes every text (a callable, so it carries its own context), its
// error box shows error texts after the sink has them, and debug text is
// formatted only when it is verbose.

#include <cstdarg>
#include <functional>

using LogCallback = void (*)(const char* text);
using ErrorBoxHook = void (*)(const char* text);

class Log {
public:
    // Takes one finished text, valid only during the call.
    using Sink = std::function<void(const char* text)>;

    Sink sink;     // empty: nothing is logged
    Sink errorBox; // empty: error texts go to stderr, one line each
    bool verbose = false;

    enum class Kind { Message, Debug, Error };

    void message(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void debug(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void error(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    // The same for a caller that has its arguments in a va_list already.
    void write(Kind kind, const char* format, va_list args) const;
};

// The error box of a Log without one: the text on stderr as one line.
void errorToStderr(const char* text);
