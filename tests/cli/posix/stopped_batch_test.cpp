// A converter run with --jobs 2 stopped by a signal while its threads
// convert: no output is put in place after the stop, no temporary is left,
// and the log printed stops at a whole file's log. Batches stopped at many
// moments, and with more conversions at once than ever before, leave no
// temporary either.

#include "held_processes.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <map>

namespace {

// Long enough that its conversion is still under way when the test holds the
// converter.
std::string longDataText()
{
    std::string text = "Tidelume Radiometer: 12345\r\nChannel 1\r\n";
    for (int row = 0; row < 200000; ++row)
        text += std::to_string(row) +
                ",12.46,11.2,3.456,0,1,1,0,0,100,0,1,11,100,100,100,100,120,120,120,120,1190,1200,1210\r\n";
    return text;
}

// Every file of the folder but the temporaries, with its size and a hash of
// its content (short enough to print when they differ).
std::map<std::string, std::string> filesIn(const TempDir& dir)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : folderContents(dir.path()))
        if (!name.ends_with(".part")) {
            const std::string bytes = readFile(dir.file(name));
            files[name] =
                std::to_string(bytes.size()) + " bytes, hash " + std::to_string(std::hash<std::string>{}(bytes));
        }
    return files;
}

std::string readToEnd(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

struct StoppedRun {
    pid_t converter = -1;
    int log = -1;   // the converter's stdout
    int alive = -1; // reaches its end once the converter has ended
};

// Starts the converter on FIRST.ASC, a small file whose log is printed first,
// and then three long files; returns once two conversions have made their
// temporaries.
StoppedRun startBatch(const TempDir& dir, const std::string& cal)
{
    int log[2];
    int alive[2];
    if (pipe(log) != 0 || pipe(alive) != 0)
        return {};
    FolderWatch watch(dir.path());
    std::fflush(nullptr);
    const pid_t converter = fork();
    if (converter == 0) {
        dup2(log[1], STDOUT_FILENO);
        close(log[0]);
        close(alive[0]); // alive[1] stays open in the converter until it ends
        if (chdir(dir.path().c_str()) == 0)
            execl(ORVANTIS_CLI, ORVANTIS_CLI, "--cal", cal.c_str(), "--jobs", "2", "FIRST.ASC", "LONG1.ASC",
                  "LONG2.ASC", "LONG3.ASC", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(log[1]);
    close(alive[1]);
    if (!watch.waitForCreated(".part", 3, alive[0])) { // FIRST's, then two long files'
        close(log[0]);
        close(alive[0]);
        return {};
    }
    return {converter, log[0], alive[0]};
}

class StoppedBatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        cal = dir.write("SMALL.CAL", smallCalibrationText());
        dir.write("FIRST.ASC", "Tidelume Radiometer: 12345\r\nChannel 1\r\n"
                               "1000,12.46,11.2,3.456,0,1,1,0,0,100,0,1,11,"
                               "100,100,100,100,120,120,120,120,1190,1200,1210\r\n");
        const std::string data = longDataText();
        for (const char* name : {"LONG1.ASC", "LONG2.ASC", "LONG3.ASC"})
            dir.write(name, data);
        dir.write("LONG1.DAT", "a previous output\n");
    }

    TempDir dir;
    std::string cal;
};

TEST_F(StoppedBatch, StoppedRunStopsItsConversionsBeforeTheirOutputsArePutInPlace)
{
    for (const int stop : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(stop));
        for (const char* name : {"FIRST.DAT", "LONG2.DAT", "LONG3.DAT"})
            std::filesystem::remove(dir.file(name));
        dir.write("LONG1.DAT", "a previous output\n");

        const StoppedRun run = startBatch(dir, cal);
        ASSERT_GT(run.converter, 0);
        // The converter held still, every conversion thread with it: what is
        // in the folder now is what must stay.
        int waitStatus = 0;
        kill(run.converter, SIGSTOP);
        ASSERT_EQ(waitpid(run.converter, &waitStatus, WUNTRACED), run.converter);
        const std::map<std::string, std::string> before = filesIn(dir);
        EXPECT_FALSE(temporariesIn(dir.path()).empty()) << "no conversion was under way";

        kill(run.converter, stop);
        kill(run.converter, SIGCONT);
        ASSERT_EQ(waitpid(run.converter, &waitStatus, 0), run.converter);
        EXPECT_TRUE(WIFSIGNALED(waitStatus) && WTERMSIG(waitStatus) == stop) << waitStatus;
        const std::string log = readToEnd(run.log);
        close(run.log);
        close(run.alive);

        EXPECT_EQ(filesIn(dir), before);
        EXPECT_EQ(temporariesIn(dir.path()), std::vector<std::string>{});
        // Whole logs of files that were done, and nothing of the stopped ones.
        EXPECT_TRUE(log.empty() || log.back() == '\n') << log;
        EXPECT_EQ(log.find("abnormally"), std::string::npos) << log;
    }
}

// A batch of the converter in the folder with these arguments, its log
// and errors thrown away; `alive` reaches its end once it has ended.
struct QuietBatch {
    pid_t converter = -1;
    int alive = -1;
};

QuietBatch startQuietBatch(const TempDir& dir, const std::vector<std::string>& arguments)
{
    int alive[2];
    if (pipe(alive) != 0)
        return {};
    std::vector<char*> argv{const_cast<char*>(ORVANTIS_CLI)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    const pid_t converter = fork();
    if (converter == 0) {
        close(alive[0]);
        // Descriptors for every job asked for, wherever the test runs.
        rlimit descriptors{};
        getrlimit(RLIMIT_NOFILE, &descriptors);
        descriptors.rlim_cur = descriptors.rlim_max;
        setrlimit(RLIMIT_NOFILE, &descriptors);
        if (freopen("/dev/null", "w", stdout) && freopen("/dev/null", "w", stderr) && chdir(dir.path().c_str()) == 0)
            execv(ORVANTIS_CLI, argv.data());
        _exit(127);
    }
    close(alive[1]);
    return {converter, alive[0]};
}

// The signal that ended the process, 0 when it exited.
int endingSignal(pid_t process)
{
    int status = 0;
    waitpid(process, &status, 0);
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

// The names of the files, each a hard link of one data file: names of
// their own, as their outputs have, and one file's bytes on the disk.
std::vector<std::string> linksOf(const TempDir& dir, const std::string& data, int count)
{
    const std::string original = dir.write("DATA.TXT", data);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("F" + std::to_string(i) + ".ASC");
        std::filesystem::create_hard_link(original, dir.file(names.back()));
    }
    return names;
}

// More conversions at once than a fixed table of 64 temporaries held: every
// one's temporary goes when the batch is stopped.
TEST_F(StoppedBatch, StoppedBatchOfEightyJobsLeavesNoTemporary)
{
    std::vector<std::string> arguments = {"--cal", cal, "--jobs", "80"};
    for (const std::string& name : linksOf(dir, longDataText(), 80))
        arguments.push_back(name);
    FolderWatch watch(dir.path());
    const QuietBatch batch = startQuietBatch(dir, arguments);
    ASSERT_GT(batch.converter, 0);
    ASSERT_TRUE(watch.waitForCreated(".part", 80, batch.alive));
    holdStill(batch.converter);
    ASSERT_GT(temporariesIn(dir.path()).size(), 64u) << "too few conversions were under way";
    kill(batch.converter, SIGTERM);
    kill(batch.converter, SIGCONT);
    EXPECT_EQ(endingSignal(batch.converter), SIGTERM);
    close(batch.alive);
    EXPECT_EQ(temporariesIn(dir.path()), std::vector<std::string>{});
}

// Each round stops a batch of eight jobs with the next signal once a
// further number of its temporaries has been made: whatever its
// conversions were doing, none is left.
TEST_F(StoppedBatch, BatchStoppedAtAnyMomentLeavesNoTemporary)
{
    std::string data = "Tidelume Radiometer: 12345\r\nChannel 1\r\n";
    for (int row = 0; row < 300; ++row)
        data += std::to_string(row) +
                ",12.46,11.2,3.456,0,1,1,0,0,100,0,1,11,100,100,100,100,120,120,120,120,1190,1200,1210\r\n";
    std::vector<std::string> arguments = {"--cal", cal, "--jobs", "8"};
    for (const std::string& name : linksOf(dir, data, 150))
        arguments.push_back(name);
    const int stops[] = {SIGINT, SIGTERM, SIGHUP};
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        FolderWatch watch(dir.path());
        const QuietBatch batch = startQuietBatch(dir, arguments);
        ASSERT_GT(batch.converter, 0);
        const int stop = stops[round % 3];
        if (watch.waitForCreated(".part", 1 + round * 5, batch.alive))
            kill(batch.converter, stop);
        const int ended = endingSignal(batch.converter);
        EXPECT_TRUE(ended == stop || ended == 0) << strsignal(ended); // 0: it was done before
        close(batch.alive);
        ASSERT_EQ(temporariesIn(dir.path()), std::vector<std::string>{});
    }
}

} // namespace
