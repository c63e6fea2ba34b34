#pragma once
// The converter's two streams: the log on stdout, errors and the summary on
// stderr, and, when stderr is a terminal, one status line there that each
// update rewrites in place and that steps aside for every other text. Safe
// to use from several threads.

#include "driver/batch_run.h"

#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

class Console final : public RunConsole {
public:
    // With showStatus false (stderr is a file or a pipe) status() does
    // nothing; logShared says the log goes to the same terminal.
    Console(bool showStatus, bool logShared) : showStatus_(showStatus), logShared_(logShared) {}

    bool showsStatus() const override { return showStatus_; }
    void log(std::string_view text) override;
    void error(const std::string& text) override;
    void status(const std::string& text) override;
    // Takes the status line away, leaving the cursor at the start of its line.
    void clearStatus() override;

private:
    void clearStatusLocked();

    const bool showStatus_;
    const bool logShared_;
    std::mutex mutex_;
    std::size_t statusWidth_ = 0; // of the status line shown, 0 when none
};

// Whether the stream is a terminal, where a status line can be rewritten.
bool isTerminal(std::FILE* stream);
