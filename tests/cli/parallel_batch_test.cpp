// The child-process batch with stand-in steps: each step writes what it does
// to the standard streams, so the order and completeness of the printed logs
// can be checked exactly.

#include "cli/parallel_batch.h"
#include "core/file_handle.h"
#include "temp_dir.h"
#include "sample_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

namespace {

struct Printed {
    FileOutcome status = FileOutcome::Converted;
    std::string out;
    std::string err;
};

std::string wholeStream(std::FILE* stream)
{
    std::rewind(stream);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        text.append(buffer, n);
    return text;
}

Printed runBatch(const std::vector<BatchFile>& files, int jobs, const FileSteps& steps)
{
    FileHandle out(std::tmpfile());
    FileHandle err(std::tmpfile());
    Printed printed;
    printed.status = runInChildProcesses(files, jobs, steps, out.get(), err.get());
    printed.out = wholeStream(out.get());
    printed.err = wholeStream(err.get());
    return printed;
}

// Runs the batch as the converter does, printing to its standard streams, in
// a child process that first runs limitItself, so that the shortage it makes
// ends with that child. The child's standard streams lead to files.
Printed runBatchInLimitedChild(const std::vector<BatchFile>& files, int jobs, const FileSteps& steps,
                               const std::function<bool()>& limitItself)
{
    FileHandle out(std::tmpfile());
    FileHandle err(std::tmpfile());
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child == 0) {
        constexpr int SetupFailed = 100;
        if (dup2(fileno(out.get()), STDOUT_FILENO) < 0 || dup2(fileno(err.get()), STDERR_FILENO) < 0 || !limitItself())
            _exit(SetupFailed);
        _exit(static_cast<int>(runInChildProcesses(files, jobs, steps, stdout, stderr)));
    }
    int waitStatus = 0;
    waitpid(child, &waitStatus, 0);
    Printed printed;
    printed.status = static_cast<FileOutcome>(WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1);
    printed.out = wholeStream(out.get());
    printed.err = wholeStream(err.get());
    return printed;
}

bool limitResource(int resource, rlim_t most)
{
    const rlimit limit{most, most};
    return setrlimit(resource, &limit) == 0;
}

// Allows only spare more descriptors than are open now (the lowest free
// descriptor is past all the open ones in a test process).
bool limitDescriptorsToSpare(int spare)
{
    const int lowestFree = open("/dev/null", O_RDONLY);
    close(lowestFree);
    return lowestFree >= 0 && limitResource(RLIMIT_NOFILE, static_cast<rlim_t>(lowestFree + spare));
}

// Allows one more process than this one. The limit counts the processes of
// the user and does not hold for root, so root first becomes a user with
// no other processes.
bool limitToOneChildProcess()
{
    constexpr uid_t UnusedUser = 61234;
    if (geteuid() != 0)
        return limitResource(RLIMIT_NPROC, 0); // the user's other processes already fill any limit
    return setgid(UnusedUser) == 0 && setuid(UnusedUser) == 0 && limitResource(RLIMIT_NPROC, 2);
}

std::vector<BatchFile> filesWithOwnOutputs(const std::vector<std::string>& names)
{
    std::vector<BatchFile> files;
    for (const std::string& name : names)
        files.push_back({"/nowhere/" + name, "/nowhere/" + name + ".out"});
    return files;
}

std::string nameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

void pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Appends one line to a journal that several processes share.
void journal(const std::string& path, const std::string& line)
{
    // Runs in a child, where a failed check would go unseen: a missing line
    // fails the test instead.
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0600);
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t written = write(fd, text.data(), text.size());
    close(fd);
}

// The most conversions that ran at the same time, after a journal of
// "start" and "end" lines.
int mostAtOnce(const std::string& journalText)
{
    int now = 0, most = 0;
    std::istringstream lines(journalText);
    for (std::string line; std::getline(lines, line);) {
        now += line.rfind("start", 0) == 0 ? 1 : -1;
        most = std::max(most, now);
    }
    return most;
}

std::vector<std::string> numberedNames(int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back("f" + std::to_string(i));
    return names;
}

// Steps that, like a real conversion, need descriptors of their own: the
// conversion holds three files open at once. Its start and end go to the
// journal behind journalFd, opened before any limit.
FileSteps stepsNeedingDescriptors(int journalFd)
{
    return {[](const std::string& path) {
                std::printf("prepare %s\n", nameOf(path).c_str());
                std::fprintf(stderr, "note %s\n", nameOf(path).c_str());
                return std::optional<FileOutcome>();
            },
            [=](const std::string& path) {
                [[maybe_unused]] ssize_t written = write(journalFd, "start\n", 6);
                const FileHandle input(std::fopen("/dev/null", "rb"));
                const FileHandle output(std::tmpfile());
                const FileHandle temporary(std::tmpfile());
                pause(5);
                written = write(journalFd, "end\n", 4);
                if (!input || !output || !temporary) {
                    std::fprintf(stderr, "no descriptors for %s\n", nameOf(path).c_str());
                    return FileOutcome::NotConverted;
                }
                std::printf("convert %s\n", nameOf(path).c_str());
                return FileOutcome::Converted;
            }};
}

FileSteps journaledSteps(const std::string& journalPath, int milliseconds)
{
    return {[](const std::string&) { return std::optional<FileOutcome>(); },
            [=](const std::string& path) {
                journal(journalPath, "start " + nameOf(path));
                pause(milliseconds);
                journal(journalPath, "end " + nameOf(path));
                return FileOutcome::Converted;
            }};
}

TEST(ChildProcessBatch, PrintsEachFilesWholeLogInFileOrderWhateverOrderTheyFinishIn)
{
    // The first file takes longest, so the others finish before it.
    const std::map<std::string, int> delays = {{"a", 300}, {"b", 0}, {"c", 100}, {"d", 0}};
    const FileSteps steps{[](const std::string& path) {
                              std::printf("prepare %s\n", nameOf(path).c_str());
                              std::fprintf(stderr, "note %s\n", nameOf(path).c_str());
                              return std::optional<FileOutcome>();
                          },
                          [&](const std::string& path) {
                              const std::string name = nameOf(path);
                              std::printf("convert %s\n", name.c_str());
                              pause(delays.at(name));
                              std::fflush(stdout);
                              // Straight to the descriptor, past stdio, is captured as well.
                              const std::string done = "done " + name + "\n";
                              [[maybe_unused]] const ssize_t written = write(STDOUT_FILENO, done.data(), done.size());
                              std::fprintf(stderr, "error %s\n", name.c_str());
                              return FileOutcome::Converted;
                          }};
    const Printed printed = runBatch(filesWithOwnOutputs({"a", "b", "c", "d"}), 3, steps);
    EXPECT_EQ(printed.status, FileOutcome::Converted);
    std::string expectedOut, expectedErr;
    for (const char* name : {"a", "b", "c", "d"}) {
        expectedOut += std::string("prepare ") + name + "\nconvert " + name + "\ndone " + name + "\n";
        expectedErr += std::string("note ") + name + "\nerror " + name + "\n";
    }
    EXPECT_EQ(printed.out, expectedOut);
    EXPECT_EQ(printed.err, expectedErr);
}

TEST(ChildProcessBatch, FileEndedInPreparationIsNotConvertedAndTheWorstStatusWins)
{
    const FileSteps steps{
        [](const std::string& path) {
            std::printf("prepare %s\n", nameOf(path).c_str());
            return nameOf(path) == "skip" ? std::optional(FileOutcome::NotConverted) : std::optional<FileOutcome>();
        },
        [](const std::string& path) {
            std::printf("convert %s\n", nameOf(path).c_str());
            return nameOf(path) == "bad" ? FileOutcome::CalibrationUnreadable : FileOutcome::Converted;
        }};
    Printed printed = runBatch(filesWithOwnOutputs({"a", "skip", "b"}), 2, steps);
    EXPECT_EQ(printed.status, FileOutcome::NotConverted);
    EXPECT_EQ(printed.out, "prepare a\nconvert a\nprepare skip\nprepare b\nconvert b\n");
    printed = runBatch(filesWithOwnOutputs({"a", "bad", "skip"}), 2, steps);
    EXPECT_EQ(printed.status, FileOutcome::CalibrationUnreadable);
}

TEST(ChildProcessBatch, CrashingChildIsReportedAndEveryOtherLogKept)
{
    const FileSteps steps{[](const std::string& path) {
                              std::printf("prepare %s\n", nameOf(path).c_str());
                              return std::optional<FileOutcome>();
                          },
                          [](const std::string& path) {
                              if (nameOf(path) == "crash") {
                                  std::signal(SIGSEGV, SIG_DFL); // past any sanitizer's handler
                                  std::raise(SIGSEGV);
                              }
                              pause(50);
                              std::printf("convert %s\n", nameOf(path).c_str());
                              return FileOutcome::Converted;
                          }};
    const Printed printed = runBatch(filesWithOwnOutputs({"a", "crash", "b", "c"}), 2, steps);
    EXPECT_EQ(printed.status, FileOutcome::NotConverted);
    EXPECT_EQ(printed.out, "prepare a\nconvert a\nprepare crash\nprepare b\nconvert b\nprepare c\nconvert c\n");
    EXPECT_EQ(printed.err,
              "Error: Conversion of /nowhere/crash ended abnormally (" + std::string(strsignal(SIGSEGV)) + ")\n");
}

TEST(ChildProcessBatch, RunsAtMostJobsConversionsAndReallyRunsThemTogether)
{
    TempDir dir;
    const std::string journalPath = dir.file("journal");
    const Printed printed =
        runBatch(filesWithOwnOutputs({"a", "b", "c", "d", "e"}), 2, journaledSteps(journalPath, 200));
    EXPECT_EQ(printed.status, FileOutcome::Converted);
    const std::string text = readFile(journalPath);
    EXPECT_EQ(mostAtOnce(text), 2) << text;
}

TEST(ChildProcessBatch, FilesWritingOrReadingTheSameFileRunOneAfterTheOther)
{
    TempDir dir;
    const std::string journalPath = dir.file("journal");
    // x and y write the same output; z reads what y writes.
    const std::vector<BatchFile> files = {{dir.file("x.ASC"), dir.file("x.DAT")},
                                          {dir.file("x.BIN"), dir.file("x.DAT")},
                                          {dir.file("x.DAT"), dir.file("x.RAW")}};
    runBatch(files, 3, journaledSteps(journalPath, 100));
    EXPECT_EQ(readFile(journalPath), "start x.ASC\nend x.ASC\nstart x.BIN\nend x.BIN\nstart x.DAT\nend x.DAT\n");
}

TEST(ChildProcessBatch, ShortOfDescriptorsOrProcessesEveryFileIsConvertedAndEveryLogPrintedInOrder)
{
    const std::vector<std::string> names = numberedNames(60);
    std::string expectedOut, expectedErr;
    for (const std::string& name : names) {
        expectedOut += "prepare " + name + "\nconvert " + name + "\n";
        expectedErr += "note " + name + "\n";
    }
    struct Shortage {
        const char* name;
        std::function<bool()> limitItself;
        int leastAtOnce;
        int mostAtOnce;
    };
    const Shortage shortages[] = {{"room for a few logs held back", [] { return limitDescriptorsToSpare(30); }, 2, 8},
                                  {"no room to hold back any log", [] { return limitDescriptorsToSpare(10); }, 1, 1},
                                  {"one child process at a time", limitToOneChildProcess, 1, 2}};
    for (const Shortage& shortage : shortages) {
        SCOPED_TRACE(shortage.name);
        const FileHandle journal(std::tmpfile());
        const Printed printed = runBatchInLimitedChild(
            filesWithOwnOutputs(names), 8, stepsNeedingDescriptors(fileno(journal.get())), shortage.limitItself);
        EXPECT_EQ(printed.status, FileOutcome::Converted);
        EXPECT_EQ(printed.out, expectedOut);
        EXPECT_EQ(printed.err, expectedErr);
        const int atOnce = mostAtOnce(wholeStream(journal.get()));
        EXPECT_GE(atOnce, shortage.leastAtOnce);
        EXPECT_LE(atOnce, shortage.mostAtOnce);
    }
}

} // namespace
