#pragma once
// Keeps what the processing side logs: while a LogCapture lives it is the
// default context's log callback and error box, and the log state is reset
// when it goes; log() gives a Log that feeds it, for functions that take one.

#include "core/log.h"

#include <cstdint>
#include <string>
#include <vector>

class LogCapture {
public:
    explicit LogCapture(int16_t verbose = 0);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The callback it installs, for functions that take a log callback.
    static void sink(const char* text);
    // A Log whose texts and error boxes it keeps, verbose as it was made.
    Log log();

    // Every text the callback received, in order.
    const std::vector<std::string>& texts() const { return texts_; }
    // The texts shown in error boxes, in order.
    const std::vector<std::string>& errorBoxes() const { return errorBoxes_; }
    // All texts joined, as one log would show them.
    std::string joined() const;
    // How many of the texts received equal text.
    int count(const std::string& text) const;
    // Forgets what was received so far.
    void clear();

private:
    static void box(const char* text);

    bool verbose_;
    std::vector<std::string> texts_;
    std::vector<std::string> errorBoxes_;
};

// The texts one after the other, with nothing between them.
std::string concatenated(const std::vector<std::string>& texts);
