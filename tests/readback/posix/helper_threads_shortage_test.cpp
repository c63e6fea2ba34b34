// Helpers that cannot all be made (the address space bound close, as a
// small `ulimit -v` does) still have every number of a run done once, the
// missing ones on the calling thread, run after run.

#include "address_space_limit.h"
#include "readback/helper_threads.h"
#include "unprivileged_child.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

// How often each number was run, over two runs of count helpers made in a
// child whose address space can grow by `room` bytes only.
std::string numbersRunWithRoom(std::size_t count, rlim_t room)
{
    return runInChildForText([&] {
        if (!limitAddressSpaceGrowth(room))
            return std::string("no limit set");
        std::mutex mutex;
        std::vector<int> runs(count + 1, 0);
        HelperThreads helpers(count);
        for (int run = 0; run < 2; ++run) {
            helpers.start([&](std::size_t number) {
                const std::lock_guard lock(mutex);
                ++runs.at(number);
            });
            helpers.finish();
        }
        std::string text;
        for (std::size_t number = 1; number <= count; ++number)
            text += std::to_string(runs[number]);
        return text;
    });
}

TEST(HelperThreadsShortage, EveryNumberRunsOnceARunWhateverThreadsCouldBeMade)
{
    constexpr rlim_t MB = 1 << 20;
    for (const rlim_t room : {4 * MB, 20 * MB, 1024 * MB}) {
        SCOPED_TRACE(room / MB);
        EXPECT_EQ(numbersRunWithRoom(7, room), "2222222");
    }
}

} // namespace
