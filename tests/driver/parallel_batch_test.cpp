// The batch that converts on threads against the same files converted one by
// one: the same texts in the same order, the same outputs byte for byte, at
// most the jobs asked for at once, and really several at once.

#include "batch_season.h"
#include "sample_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>

namespace {

TEST(ParallelBatch, PrintsAndWritesExactlyWhatOneByOneDoes)
{
    const Season alone;
    const BatchRun expected = oneByOne(alone);
    ASSERT_EQ(expected.worst, FileOutcome::NotConverted);
    const std::string missing = alone.portable("Can Not Find File " + alone.dir.file("MISSING.ASC"));
    ASSERT_NE(expected.texts.find(missing), std::string::npos) << expected.texts;
    ASSERT_EQ(expected.texts.find("Can Not Find File", expected.texts.find(missing) + 1), std::string::npos)
        << "only MISSING.ASC is missing";
    for (const int jobs : {2, 3, 8}) {
        SCOPED_TRACE(jobs);
        const Season together;
        const BatchRun result = onThreads(together, jobs, &ConversionDriver::convertPrepared);
        EXPECT_EQ(result.worst, expected.worst);
        EXPECT_EQ(result.texts, expected.texts);
        EXPECT_TRUE(together.outputs() == alone.outputs()) << "outputs differ";
        EXPECT_EQ(temporariesIn(together.dir.path()), std::vector<std::string>{});
    }
}

TEST(ParallelBatch, RunsAsManyConversionsAtOnceAsAskedAndPrintsInFileOrderWhateverOrderTheyEndIn)
{
    constexpr int jobs = 3;
    constexpr auto guard = std::chrono::seconds(60); // a failing batch must not hang the test
    std::mutex mutex;
    std::condition_variable changed;
    int arrived = 0;
    int running = 0;
    int most = 0;
    std::vector<bool> ended(jobs, false);
    const auto convert = [&](const PreparedFile& file) {
        std::unique_lock lock(mutex);
        const int index = arrived++;
        most = std::max(most, ++running);
        changed.notify_all();
        // The first conversions wait for each other: a batch that ran them
        // one after the other would never get them all here.
        changed.wait_for(lock, guard, [&] { return arrived >= jobs; });
        lock.unlock();
        const FileResult result = ConversionDriver::convertPrepared(file);
        lock.lock();
        --running;
        if (index < jobs) { // and they end the other way round
            ended[static_cast<std::size_t>(index)] = true;
            changed.notify_all();
            changed.wait_for(lock, guard,
                             [&] { return std::all_of(ended.begin() + index, ended.end(), [](bool e) { return e; }); });
        }
        return result;
    };
    const Season season;
    const BatchRun result = onThreads(season, jobs, convert);
    EXPECT_EQ(most, jobs);
    EXPECT_TRUE(std::all_of(ended.begin(), ended.end(), [](bool e) { return e; }));
    EXPECT_EQ(result.texts, oneByOne(season).texts);
}

} // namespace
