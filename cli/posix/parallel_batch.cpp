#include "cli/parallel_batch.h"

#include "cli/posix/descriptor_headroom.h"
#include "cli/posix/log_block.h"
#include "cli/log_stream.h"
#include "cli/posix/std_streams_redirect.h"

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
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

std::string samePathKey(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::absolute(path, error).lexically_normal().string() : full.string();
}

// The status a child's end stands for, or nothing when it did not end
// through a conversion result.
std::optional<FileOutcome> statusOfChild(int waitStatus)
{
    if (!WIFEXITED(waitStatus))
        return std::nullopt;
    const int code = WEXITSTATUS(waitStatus);
    if (code < static_cast<int>(FileOutcome::Converted) || code > static_cast<int>(FileOutcome::CalibrationUnreadable))
        return std::nullopt;
    return static_cast<FileOutcome>(code);
}

std::string describeAbnormalEnd(int waitStatus)
{
    if (WIFSIGNALED(waitStatus))
        return strsignal(WTERMSIG(waitStatus));
    return "exit status " + std::to_string(WEXITSTATUS(waitStatus));
}

struct BatchEntry {
    std::string path;
    std::string inputKey;
    std::string outputKey;
    std::unique_ptr<LogBlock> log;
    pid_t child = 0; // while its conversion runs
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
        : jobs_(jobs), steps_(steps), out_(out), err_(err)
    {
        for (const BatchFile& file : files)
            runs_.push_back(BatchEntry{file.path, samePathKey(file.path), samePathKey(file.outputPath), {}, 0, {}});
    }

    FileOutcome run()
    {
        for (BatchEntry& file : runs_) {
            while (mustWaitBefore(file))
                collectOneChild();
            start(file);
            printFinished();
        }
        while (running_ > 0)
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
        if (running_ == 0)
            return false;
        if (running_ >= jobs_ || static_cast<std::size_t>(&file - &runs_[printed_]) >= MaxUnprintedFiles)
            return true;
        return std::any_of(runs_.begin(), runs_.end(),
                           [&](const BatchEntry& other) { return other.child != 0 && file.touchesFileOf(other); });
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
        const pid_t child = forkWhenPossible();
        if (child == 0)
            convertInChild(file);
        if (child < 0) {
            file.status = steps_.convert(file.path); // no process to spare: convert it here
            return true;
        }
        file.child = child;
        ++running_;
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
            if (running_ == 0)
                return false;
            collectOneChild();
        }
    }

    // A fork that fails for lack of processes or memory is tried again each
    // time a running conversion ends; with none left it fails for good.
    pid_t forkWhenPossible()
    {
        for (;;) {
            const pid_t child = fork();
            if (child >= 0 || running_ == 0)
                return child;
            collectOneChild();
        }
    }

    // The child's whole life. An escaping exception ends it through
    // terminate, which the parent reports as an abnormal end; it never
    // returns into the parent's loop.
    [[noreturn]] void convertInChild(const BatchEntry& file) noexcept
    {
        // Its standard streams already lead to its own log; the other files'
        // temporary files would only take descriptors its conversion needs.
        for (BatchEntry& run : runs_)
            run.log.reset();
        const FileOutcome status = steps_.convert(file.path);
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(static_cast<int>(status));
    }

    // Without temporary files the log cannot be held back: let every earlier
    // file finish and print, then convert this one straight to the streams.
    void startWithoutCapture(BatchEntry& file)
    {
        while (running_ > 0)
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
        int waitStatus = 0;
        const pid_t child = waitpid(-1, &waitStatus, 0);
        if (child <= 0)
            return;
        const auto file =
            std::find_if(runs_.begin(), runs_.end(), [&](const BatchEntry& f) { return f.child == child; });
        if (file == runs_.end())
            return;
        file->child = 0;
        --running_;
        file->status = statusOfChild(waitStatus);
        if (!file->status) {
            file->log->addError("Error: Conversion of " + file->path + " ended abnormally (" +
                                describeAbnormalEnd(waitStatus) + ")");
            file->status = FileOutcome::NotConverted;
        }
    }

    void printFinished()
    {
        for (; printed_ < runs_.size() && runs_[printed_].status; ++printed_) {
            if (runs_[printed_].log)
                runs_[printed_].log->printTo(out_, err_);
            runs_[printed_].log.reset();
        }
    }

    const int jobs_;
    const FileSteps& steps_;
    std::FILE* out_;
    std::FILE* err_;
    std::vector<BatchEntry> runs_;
    std::size_t printed_ = 0;
    int running_ = 0;
};

} // namespace

FileOutcome runInChildProcesses(const std::vector<BatchFile>& files, int jobs, const FileSteps& steps, std::FILE* out,
                                std::FILE* err)
{
    return ChildProcessBatch(files, std::max(jobs, 1), steps, out, err).run();
}
