#pragma once
// Threads that run a job beside the calling thread, run after run: start()
// hands each helper the job with its number (1 to count), finish() waits
// until every helper has returned from it. The threads are kept between
// runs, so that a run costs no thread start (half a millisecond each on a
// virtual machine, many times over when a table is read in small blocks).
// The numbers of helpers that could not be made (short of memory, or of
// the threads the system allows) are run by finish() on the calling thread.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Threads worth parsing side by side: one per core, at most 8, for each
// holds buffers of its own; 1 when the system does not tell its cores.
unsigned threadsPerCore();

class HelperThreads {
public:
    explicit HelperThreads(std::size_t count);
    // Waits for a run in progress, then ends the threads.
    ~HelperThreads();
    HelperThreads(const HelperThreads&) = delete;
    HelperThreads& operator=(const HelperThreads&) = delete;

    // The job must not throw; a run must be finished before the next starts.
    void start(std::function<void(std::size_t)> job);
    void finish();

private:
    void serve(std::size_t number);

    std::mutex mutex_;
    std::condition_variable wake_; // a run started, or the end
    std::condition_variable done_; // the last helper of a run returned
    std::function<void(std::size_t)> job_;
    std::size_t run_ = 0;  // runs started
    std::size_t busy_ = 0; // helpers still in the current run
    bool ending_ = false;
    const std::size_t count_;           // numbers handed out
    std::vector<std::jthread> threads_; // last: they use the rest
};
