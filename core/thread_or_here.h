#pragma once
// A job that runs beside the caller where a thread can be made, and on the
// calling thread where none can (short of memory, or of the threads the
// system allows), rather than ending the program.

#include <new>
#include <system_error>
#include <thread>

// The thread running the job; or, once the job is done here, none.
template <typename Job>
std::jthread threadOrHere(const Job& job)
{
    try {
        return std::jthread(job);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    job();
    return {};
}
