#include "cli/parallel_batch.h"

#include "cli/log_block.h"
#include "cli/std_streams_redirect.h"

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

std::string samePathKey(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::weakly_canonical(path, error);
    return error ? std::filesystem::absolute(path, error).lexically_normal().string() : full.string();
}

// The status a child's end stands for, or nothing when it did not end
// through a conversion result.
std::optional<FileStatus> statusOfChild(int waitStatus)
{
    if (!WIFEXITED(waitStatus))
        return std::nullopt;
    const int code = WEXITSTATUS(waitStatus);
    if (code < static_cast<int>(FileStatus::Converted) || code > static_cast<int>(FileStatus::CalibrationUnreadable))
        return std::nullopt;
    return static_cast<FileStatus>(code);
}

std::string describeAbnormalEnd(int waitStatus)
{
    if (WIFSIGNALED(waitStatus))
        return strsignal(WTERMSIG(waitStatus));
    return "exit status " + std::to_string(WEXITSTATUS(waitStatus));
}

// The child's whole life. An escaping exception ends it through terminate,
// which the parent reports as an abnormal end; it never returns into the
// parent's loop.
[[noreturn]] void convertInChild(const FileSteps& steps, const std::string& path) noexcept
{
    const FileStatus status = steps.convert(path);
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(static_cast<int>(status));
}

struct FileRun {
    std::string path;
    std::string inputKey;
    std::string outputKey;
    std::unique_ptr<LogBlock> log;
    pid_t child = 0; // while its conversion runs
    std::optional<FileStatus> status;

    bool touchesFileOf(const FileRun& other) const
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
            runs_.push_back(FileRun{file.path, samePathKey(file.path), samePathKey(file.outputPath), {}, 0, {}});
    }

    FileStatus run()
    {
        for (FileRun& file : runs_) {
            while (mustWaitBefore(file))
                collectOneChild();
            start(file);
            printFinished();
        }
        while (running_ > 0)
            collectOneChild();
        printFinished();
        FileStatus worst = FileStatus::Converted;
        for (const FileRun& file : runs_)
            worst = std::max(worst, *file.status);
        return worst;
    }

private:
    bool mustWaitBefore(const FileRun& file) const
    {
        if (running_ == 0)
            return false;
        if (running_ >= jobs_ || static_cast<std::size_t>(&file - &runs_[printed_]) >= MaxUnprintedFiles)
            return true;
        return std::any_of(runs_.begin(), runs_.end(),
                           [&](const FileRun& other) { return other.child != 0 && file.touchesFileOf(other); });
    }

    void start(FileRun& file)
    {
        file.log = std::make_unique<LogBlock>();
        if (!file.log->valid()) {
            startWithoutCapture(file);
            return;
        }
        StdStreamsRedirect redirect(file.log->outFd(), file.log->errFd());
        file.status = steps_.prepare(file.path);
        if (file.status)
            return;
        std::fflush(stdout); // else the child would write the parent's lines again
        std::fflush(stderr);
        const pid_t child = fork();
        if (child == 0)
            convertInChild(steps_, file.path);
        if (child < 0) {
            file.status = steps_.convert(file.path); // no process to spare: convert it here
            return;
        }
        file.child = child;
        ++running_;
    }

    // Without temporary files the log cannot be held back: let every earlier
    // file finish and print, then convert this one straight to the streams.
    void startWithoutCapture(FileRun& file)
    {
        while (running_ > 0)
            collectOneChild();
        printFinished();
        file.log.reset();
        std::fflush(out_);
        file.status = steps_.prepare(file.path);
        if (!file.status)
            file.status = steps_.convert(file.path);
        std::fflush(stdout);
        std::fflush(stderr);
    }

    void collectOneChild()
    {
        int waitStatus = 0;
        const pid_t child = waitpid(-1, &waitStatus, 0);
        if (child <= 0)
            return;
        const auto file = std::find_if(runs_.begin(), runs_.end(), [&](const FileRun& f) { return f.child == child; });
        if (file == runs_.end())
            return;
        file->child = 0;
        --running_;
        file->status = statusOfChild(waitStatus);
        if (!file->status) {
            file->log->addError("Error: Conversion of " + file->path + " ended abnormally (" +
                                describeAbnormalEnd(waitStatus) + ")");
            file->status = FileStatus::Skipped;
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
    std::vector<FileRun> runs_;
    std::size_t printed_ = 0;
    int running_ = 0;
};

} // namespace

FileStatus runInChildProcesses(const std::vector<BatchFile>& files, int jobs, const FileSteps& steps,
                               std::FILE* out, std::FILE* err)
{
    return ChildProcessBatch(files, std::max(jobs, 1), steps, out, err).run();
}
