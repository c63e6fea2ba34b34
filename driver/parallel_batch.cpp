#include "driver/parallel_batch.h"

#include "conversion/interrupt_cleanup.h"
#include "driver/descriptor_headroom.h"
#include "conversion/output_name.h"
#include "core/file_path.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

namespace {

// How many files past the one being printed may be started, per job: enough
// to keep every job busy while a long file is printed, few enough that the
// logs held back stay small.
constexpr std::size_t FilesAheadPerJob = 4;

struct BatchFile {
    BatchFile(std::size_t number, const std::string& name, HeldLogs& logs)
        : index(number), path(name), inputKey(sameFileKey(name)), log(logs)
    {}

    const std::size_t index;
    const std::string path;
    const std::string inputKey;
    FileLog log;
    std::optional<PreparedFile> prepared;
    std::string outputKey; // of a prepared file
    FileResult result;
    std::optional<FileOutcome> outcome; // once finished
    std::thread worker;
    bool started = false;
    bool converting = false; // guarded by the batch's mutex

    bool touches(const BatchFile& other) const
    {
        return outputKey == other.outputKey || outputKey == other.inputKey || inputKey == other.outputKey;
    }
};

class ThreadBatch {
public:
    ThreadBatch(const std::vector<std::string>& paths, int jobs, const BatchSteps& steps, const TextPrinter& print)
        : jobs_(static_cast<std::size_t>(jobsWithinDescriptors(std::max(jobs, 1)))), steps_(steps), print_(print)
    {
        for (std::size_t i = 0; i < paths.size(); ++i)
            files_.emplace_back(i, paths[i], logs_);
    }

    FileOutcome run()
    {
        for (BatchFile& file : files_) {
            printFinished(false);
            const std::variant<FileOutcome, PreparedFile> prepared = steps_.prepare(file.index, file.path, file.log);
            if (const FileOutcome* ended = std::get_if<FileOutcome>(&prepared))
                file.outcome = *ended;
            else
                start(file, std::get<PreparedFile>(prepared));
        }
        printFinished(true);
        FileOutcome worst = FileOutcome::Converted;
        for (const BatchFile& file : files_)
            worst = std::max(worst, *file.outcome);
        return worst;
    }

private:
    // Starts the file's conversion once a place is free, printing the files
    // that finish meanwhile. Where no thread can be made (memory, the
    // system's limit of threads), fewer files convert at once from then on:
    // those already running, or one on this thread when none is.
    void start(BatchFile& file, const PreparedFile& prepared)
    {
        const ConversionOptions& options = prepared.conversion.options;
        file.outputKey = sameFileKey(outputFileName(file.path, options.level, options.form));
        file.prepared = prepared;
        for (;;) {
            waitForPlace(file);
            if (startThread(file))
                return;
            const std::lock_guard lock(mutex_);
            jobs_ = std::max<std::size_t>(running_ - 1, 1);
            if (running_ == 1)
                break;
            file.started = false;
            file.converting = false;
            --running_;
        }
        convert(file);
    }

    // Marks the file started and converting once it may start.
    void waitForPlace(BatchFile& file)
    {
        for (;;) {
            printFinished(false);
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return mayStart(file) || headFinished(); });
            if (mayStart(file)) {
                file.started = true;
                file.converting = true;
                ++running_;
                return;
            }
        }
    }

    bool startThread(BatchFile& file)
    {
        // The conversions leave the interrupts to this thread, so that the
        // cleanup never runs while a conversion is registering a temporary.
        const InterruptsHeldBack held;
        try {
            file.worker = std::thread([this, &file] { convert(file); });
            return true;
        } catch (const std::system_error&) {
            return false;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    bool mayStart(const BatchFile& file) const
    {
        const std::size_t index = file.index;
        if (running_ >= jobs_ || index >= printed_ + FilesAheadPerJob * jobs_)
            return false;
        // Those converting lie between the one being printed and this one,
        // which starts after every file before it: a folder of many files
        // costs no time per file for its size.
        return std::none_of(files_.begin() + static_cast<std::ptrdiff_t>(printed_),
                            files_.begin() + static_cast<std::ptrdiff_t>(index),
                            [&](const BatchFile& other) { return other.converting && file.touches(other); });
    }

    bool headFinished() const
    {
        const BatchFile& head = files_[printed_];
        return head.started && !head.converting;
    }

    void convert(BatchFile& file)
    {
        FileResult result;
        try {
            result = steps_.convert(*file.prepared);
        } catch (const std::bad_alloc&) { // the output is not put in place; the others go on
            result = {ConversionOutcome::SystemFailure, ENOMEM};
        }
        const std::lock_guard lock(mutex_);
        file.result = result;
        file.converting = false;
        --running_;
        changed_.notify_all();
    }

    // Prints the files whose turn has come, up to the first one not
    // finished, whose log from then on goes straight through; with `wait`,
    // waits for every file to finish.
    void printFinished(bool wait)
    {
        for (; printed_ < files_.size(); ++printed_) {
            BatchFile& file = files_[printed_];
            file.log.printFromNowOn(print_);
            if (file.outcome)
                continue;
            if (!file.started)
                return;
            {
                std::unique_lock lock(mutex_);
                if (wait)
                    changed_.wait(lock, [&] { return !file.converting; });
                if (file.converting)
                    return;
            }
            if (file.worker.joinable())
                file.worker.join();
            file.outcome = steps_.finish(printed_, *file.prepared, file.result, file.log);
            file.prepared.reset();
        }
    }

    std::size_t jobs_; // guarded by mutex_: fewer once a thread could not be made
    const BatchSteps& steps_;
    const TextPrinter& print_;
    HeldLogs logs_;
    std::deque<BatchFile> files_; // never moved: their threads and logs know them
    std::size_t printed_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t running_ = 0;
};

} // namespace

FileOutcome convertOnThreads(const std::vector<std::string>& paths, int jobs, const BatchSteps& steps,
                             const TextPrinter& print)
{
    return ThreadBatch(paths, jobs, steps, print).run();
}
