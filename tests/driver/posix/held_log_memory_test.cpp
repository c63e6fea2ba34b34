// The logs a batch holds back while an earlier, slower file is printed are
// bounded in memory however long they are, and print exactly as they came:
// past the bound they go to scratch files, or, where none can be made, their
// conversions wait for their turn.

#include "driver/parallel_batch.h"
#include "address_space_limit.h"
#include "unprivileged_child.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

namespace {

constexpr std::size_t Files = 16; // the first and as many as four jobs start behind it
constexpr int LinesPerFile = 30000;

std::string line(std::size_t file, int number)
{
    return "WARNING: file " + std::to_string(file) + ": skipped a line at byte " + std::to_string(number) +
           " that is not a spectrum, as a long noisy file has thousands\n";
}

std::size_t heapInUse()
{
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

// This process can open no more descriptors, a scratch file's included.
bool noMoreDescriptors()
{
    const int lowestFree = open("/dev/null", O_RDONLY);
    close(lowestFree);
    const rlimit none{static_cast<rlim_t>(lowestFree), static_cast<rlim_t>(lowestFree)};
    return setrlimit(RLIMIT_NOFILE, &none) == 0;
}

// Runs the batch: the first file's conversion waits until `release` says so,
// the others log their lines meanwhile. The heap's growth when it was
// released, and everything printed.
struct HeldRun {
    std::size_t growth = 0;
    std::string printed;
};

enum class Release {
    WhenTheOthersAreDone,
    // With no scratch file to be had from then on, as they could not be done.
    WithoutDescriptorsWhenTheOthersHaveLoggedAQuarterOfTheBound
};

HeldRun runBehindASlowFile(Release release)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool firstStarted = false;
    std::size_t othersDone = 0;
    std::size_t bytesLogged = 0;
    HeldRun run;
    const std::size_t before = heapInUse();
    const BatchSteps steps{
        [](std::size_t file, const std::string&, FileLog& log) {
            PreparedFile prepared;
            prepared.path = std::to_string(file);
            prepared.conversion.log.sink = [&log](const char* text) { log.addLog(text); };
            return std::variant<FileOutcome, PreparedFile>(prepared);
        },
        [&](const PreparedFile& prepared) {
            const std::size_t file = std::stoul(prepared.path);
            std::unique_lock lock(mutex);
            if (file == 0) {
                if (release != Release::WhenTheOthersAreDone && !noMoreDescriptors())
                    return FileResult{ConversionOutcome::SystemFailure, errno};
                firstStarted = true;
                changed.notify_all();
                changed.wait(lock, [&] {
                    return release == Release::WhenTheOthersAreDone ? othersDone == Files - 1
                                                                    : bytesLogged > HeldLogBytes / 4;
                });
                run.growth = heapInUse() - before;
                return FileResult{};
            }
            changed.wait(lock, [&] { return firstStarted; });
            lock.unlock();
            for (int number = 0; number < LinesPerFile; ++number) {
                const std::string text = line(file, number);
                prepared.conversion.log.sink(text.c_str());
                const std::lock_guard logged(mutex);
                bytesLogged += text.size();
                changed.notify_all();
            }
            lock.lock();
            ++othersDone;
            changed.notify_all();
            return FileResult{};
        },
        [](std::size_t, const PreparedFile&, const FileResult&, FileLog&) { return FileOutcome::Converted; }};
    std::vector<std::string> paths;
    for (std::size_t file = 0; file < Files; ++file)
        paths.push_back("F" + std::to_string(file) + ".ASC");
    convertOnThreads(paths, 4, steps, [&](bool, const std::string& text) { run.printed += text; });
    return run;
}

std::string expectedPrinted()
{
    std::string text;
    for (std::size_t file = 1; file < Files; ++file)
        for (int number = 0; number < LinesPerFile; ++number)
            text += line(file, number);
    return text;
}

TEST(HeldLogMemory, LogsHeldBehindASlowFileStayWithinTheBoundAndPrintAsTheyCame)
{
    const HeldRun run = runBehindASlowFile(Release::WhenTheOthersAreDone);
    ASSERT_GT(expectedPrinted().size(), 10 * HeldLogBytes) << "the logs must be far larger than the bound";
    EXPECT_LT(run.growth, 3 * HeldLogBytes);
    EXPECT_TRUE(run.printed == expectedPrinted());
}

// Without a descriptor for a scratch file (none to be had once the batch has
// begun) the conversions over the bound wait until their file is printed.
TEST(HeldLogMemory, WithoutScratchFilesConversionsWaitForTheirTurnAndPrintAsTheyCame)
{
    if (SANITIZER_NEEDS_UNBOUND_RESOURCES)
        GTEST_SKIP() << "the sanitizers' runtime needs a free descriptor to check memory";
    const std::string result = runInChildForText([] {
        const std::string printed =
            runBehindASlowFile(Release::WithoutDescriptorsWhenTheOthersHaveLoggedAQuarterOfTheBound).printed;
        return printed == expectedPrinted() ? "printed as they came" : printed.substr(0, 200);
    });
    EXPECT_EQ(result, "printed as they came");
}

} // namespace
