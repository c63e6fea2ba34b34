// A batch on threads in a process that cannot make them all (its address
// space bound close to what it uses, as `ulimit -v` does): the files convert
// with fewer threads, down to none beside the calling one, and print and
// write what a one-by-one run does.

#include "address_space_limit.h"
#include "batch_season.h"
#include "sample_files.h"
#include "unprivileged_child.h"

#include <gtest/gtest.h>

namespace {

// The batch's worst outcome and texts, run in a child whose address space
// can grow by `room` bytes only.
std::string onThreadsWithRoom(const Season& season, int jobs, rlim_t room)
{
    return runInChildForText([&] {
        if (!limitAddressSpaceGrowth(room))
            return std::string("no limit set");
        const BatchRun run = onThreads(season, jobs, &ConversionDriver::convertPrepared);
        return std::to_string(static_cast<int>(run.worst)) + "\n" + run.texts;
    });
}

TEST(ThreadShortage, FilesConvertWithTheThreadsThatCanBeMadeAndPrintAsOneByOne)
{
    if (SANITIZER_NEEDS_UNBOUND_RESOURCES)
        GTEST_SKIP() << "the sanitizers' runtime needs more address space than the bound leaves";
    const Season alone;
    const BatchRun expected = oneByOne(alone);
    // A thread's stack takes 8 MB of address space: none fits in the first
    // room, a few in the second.
    constexpr rlim_t MB = 1 << 20;
    for (const rlim_t room : {4 * MB, 28 * MB}) {
        SCOPED_TRACE(room / MB);
        const Season season;
        EXPECT_EQ(onThreadsWithRoom(season, 8, room),
                  std::to_string(static_cast<int>(expected.worst)) + "\n" + expected.texts);
        EXPECT_TRUE(season.outputs() == alone.outputs()) << "outputs differ";
        EXPECT_EQ(temporariesIn(season.dir.path()), std::vector<std::string>{});
    }
}

} // namespace
