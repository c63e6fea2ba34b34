#include "cli/parallel_batch.h"

#include "cli/conversion_children.h"
#include "cli/descriptor_headroom.h"
#include "cli/log_block.h"
#include "cli/log_stream.h"
#include "cli/std_streams_redirect.h"
#include "conversion/interrupt_cleanup.h"
#include "core/file_path.h"

#include <algorithm>
#include <memory>

namespace {

// Files waiting to be printed; each holds two open temporary files.
constexpr std::size_t MaxUnprintedFiles = 256;

// Descriptors that must be free before a file's log is held back: its two
// temporary files, the two saved standard streams, and what preparing or
// converting it opens (data file, calibration file, the store and its
// journal, output, temporary file), with room to spare. The child gives back
// the other files' temporary files, so it has at least that room as well.
constexpr int DescriptorsPerCapturedFile = 4 + 16;

struct BatchEntry {
    std::string path;
    std::string inputKey;
    std::string outputKey;
    std::unique_ptr<LogBlock> log;
    bool running = false; // in a child process
    std::optional<FileOutcome> status;

    bool touchesFileOf(const BatchEntry& other) const
    {
        return outputKey == other.outputKey || outputKey == other.inputKey || inputKey == other.outputKey;
    }
};

class ChildProcessBatch {
public:
    ChildProcessBatch(const std::vector<BatchFile>& files, int jobs, const FileSteps& steps, std::FILE* out,
                      std::FILE* err)
        : jobs_(jobs), steps_(steps), children_(steps), out_(out), err_(err)
    {
        for (const BatchFile& file : files)
            runs_.push_back(BatchEntry{file.path, sameFileKey(file.path), sameFileKey(file.outputPath), {}, false, {}});
    }

    FileOutcome run()
    {
        for (BatchEntry& file : runs_) {
            while (mustWaitBefore(file))
                collectOneChild();
            start(file);
            printFinished();
        }
        while (children_.running() > 0)
            collectOneChild();
        printFinished();
        FileOutcome worst = FileOutcome::Converted;
        for (const BatchEntry& file : runs_)
            worst = std::max(worst, *file.status);
        return worst;
    }

private:
    bool mustWaitBefore(const BatchEntry& file) const
    {
        if (children_.running() == 0)
            return false;
        if (children_.running() >= jobs_ || static_cast<std::size_t>(&file - &runs_[printed_]) >= MaxUnprintedFiles)
            return true;
        return std::any_of(runs_.begin(), runs_.end(),
                           [&](const BatchEntry& other) { return other.running && file.touchesFileOf(other); });
    }

    void start(BatchEntry& file)
    {
        if (makeRoomForCapture())
            file.log = std::make_unique<LogBlock>();
        if (!file.log || !file.log->valid() || !startCaptured(file))
            startWithoutCapture(file);
    }

    // Prepares the file and has a child convert it, both with the standard
    // streams leading to the file's log; false, having done nothing, when
    // they cannot be led there.
    bool startCaptured(BatchEntry& file)
    {
        StdStreamsRedirect redirect(file.log->outFd(), file.log->errFd());
        if (!redirect.active())
            return false;
        file.status = steps_.prepare(file.path);
        if (file.status)
            return true;
        std::fflush(stdout); // else the child would write the parent's lines again
        std::fflush(stderr);
        const std::size_t index = static_cast<std::size_t>(&file - runs_.data());
        // Short of processes, wait for a running conversion to end; with none
        // left, convert it here.
        while (!children_.start(index, file.path, *file.log, [this] { releaseLogsInChild(); })) {
            if (children_.running() == 0) {
                file.status = steps_.convert(file.path);
                return true;
            }
            collectOneChild();
        }
        file.running = true;
        return true;
    }

    // Prints and waits for earlier files until this process has the
    // descriptors to hold back one more log; false when it lacks them even
    // with no conversion running.
    bool makeRoomForCapture()
    {
        for (;;) {
            printFinished(); // printing a log closes its temporary files
            if (descriptorsAvailable(DescriptorsPerCapturedFile))
                return true;
            if (children_.running() == 0)
                return false;
            collectOneChild();
        }
    }

    // A forked child's standard streams already lead to its own log; the
    // other files' temporary files would only take descriptors its conversion
    // needs.
    void releaseLogsInChild()
    {
        for (BatchEntry& run : runs_)
            run.log.reset();
    }

    // Without temporary files the log cannot be held back: let every earlier
    // file finish and print, then convert this one straight to the streams.
    void startWithoutCapture(BatchEntry& file)
    {
        while (children_.running() > 0)
            collectOneChild();
        printFinished();
        file.log.reset();
        flushLog(out_);
        file.status = steps_.prepare(file.path);
        if (!file.status)
            file.status = steps_.convert(file.path);
        flushLog(stdout);
        std::fflush(stderr);
    }

    void collectOneChild()
    {
        const std::optional<EndedChild> ended = children_.waitForOne();
        if (!ended)
            return;
        BatchEntry& file = runs_[ended->file];
        file.running = false;
        file.status = ended->outcome;
        if (!file.status) {
            file.log->addError("Error: Conversion of " + file.path + " ended abnormally (" + ended->abnormalEnd + ")");
            file.status = FileOutcome::NotConverted;
        }
    }

    // A stop while a log is printed takes effect once it is printed whole.
    void printFinished()
    {
        for (; printed_ < runs_.size() && runs_[printed_].status; ++printed_) {
            if (runs_[printed_].log) {
                const InterruptsHeldBack held;
                runs_[printed_].log->printTo(out_, err_);
            }
            runs_[printed_].log.reset();
        }
    }

    const int jobs_;
    const FileSteps& steps_;
    ConversionChildren children_;
    std::FILE* out_;
    std::FILE* err_;
    std::vector<BatchEntry> runs_;
    std::size_t printed_ = 0;
};

} // namespace

FileOutcome runInChildProcesses(const std::vector<BatchFile>& files, int jobs, const FileSteps& steps, std::FILE* out,
                                std::FILE* err)
{
    return ChildProcessBatch(files, std::max(jobs, 1), steps, out, err).run();
}
