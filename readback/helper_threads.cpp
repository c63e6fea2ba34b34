#include "readback/helper_threads.h"

#include <algorithm>
#include <new>
#include <system_error>

unsigned threadsPerCore()
{
    constexpr unsigned MOST = 8;
    return std::clamp(std::thread::hardware_concurrency(), 1U, MOST);
}

HelperThreads::HelperThreads(std::size_t count) : count_(count)
{
    try {
        threads_.reserve(count);
        for (std::size_t number = 1; number <= count; ++number)
            threads_.emplace_back([this, number] { serve(number); });
    } catch (const std::system_error&) { // those made are enough
    } catch (const std::bad_alloc&) {
    }
}

HelperThreads::~HelperThreads()
{
    finish();
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    threads_.clear(); // joins them
}

void HelperThreads::start(std::function<void(std::size_t)> job)
{
    {
        const std::lock_guard lock(mutex_);
        job_ = std::move(job);
        ++run_;
        busy_ = threads_.size();
    }
    wake_.notify_all();
}

void HelperThreads::finish()
{
    std::unique_lock lock(mutex_);
    if (job_)
        for (std::size_t number = threads_.size() + 1; number <= count_; ++number) {
            lock.unlock();
            job_(number);
            lock.lock();
        }
    done_.wait(lock, [this] { return busy_ == 0; });
    job_ = nullptr;
}

void HelperThreads::serve(std::size_t number)
{
    for (std::size_t seen = 0;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return ending_ || run_ != seen; });
            if (ending_)
                return;
            seen = run_;
        }
        job_(number); // unchanged until every helper is done with it
        const std::lock_guard lock(mutex_);
        if (--busy_ == 0)
            done_.notify_one();
    }
}
