#pragma once
// One data file's conversion in a process of its own, started the way this
// system starts one: a fork that inherits the loaded calibration table, or a
// fresh run of the converter that loads it again without logging that.

#include "cli/log_block.h"
#include "cli/parallel_batch.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct EndedChild {
    std::size_t file;                   // its index in the batch
    std::optional<FileOutcome> outcome; // nothing when it did not end through a conversion result
    std::string abnormalEnd;            // else how it ended
};

class ConversionChildren {
public:
    explicit ConversionChildren(const FileSteps& steps);
    ~ConversionChildren();
    ConversionChildren(const ConversionChildren&) = delete;
    ConversionChildren& operator=(const ConversionChildren&) = delete;

    // Starts the conversion of the batch's file number `file` with its log
    // and error texts appended to `log` (which already holds what preparing
    // it wrote: stdio must have been flushed). A forked child first calls
    // releaseInChild. False when the system has no process to spare now.
    bool start(std::size_t file, const std::string& path, const LogBlock& log,
               const std::function<void()>& releaseInChild);

    // Waits for one started child to end; nothing when none is running.
    std::optional<EndedChild> waitForOne();

    int running() const;

private:
    struct Processes;
    const FileSteps& steps_;
    std::unique_ptr<Processes> processes_;
};
