// Runs the built converter as a real process and checks its output streams,
// the files it writes and its exit status.

#include "conversion/netcdf_output.h"
#include "core/file_handle.h"
#include "store/associations.h"
#include "temp_dir.h"
#include "sample_files.h"
#include "small_disk.h"
#include "address_space_limit.h"
#include "unprivileged_child.h"

#include "converter_errors.h"

#include <gtest/gtest.h>

#include <sstream>

#include <poll.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <string_view>
#include <utility>

namespace {

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class Converter : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The store of associations lives below this folder for the test.
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        cal = dir.file("SMALL.CAL");
        writeFile(cal, smallCalibrationText());
    }

    // Runs the converter in the test folder and reads its stdout. A shell
    // command given as shellSetup runs first (a ulimit, say).
    RunResult run(const std::string& arguments, const std::string& shellSetup = "") const
    {
        RunResult result;
        std::FILE* pipe = popen(shellCommand(arguments, shellSetup).c_str(), "r");
        if (!pipe)
            return result;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            result.out.append(buffer, n);
        result.status = exitStatus(pclose(pipe));
        result.err = withoutTimeTaken(readFile(dir.file("stderr.txt")));
        return result;
    }

    // Runs the converter in the test folder with its stdout on stdoutFd.
    // A negative stdoutFd starts the converter without a stdout at all.
    RunResult runWithStdoutOn(int stdoutFd, const std::string& arguments) const
    {
        const std::string command = shellCommand(arguments, "");
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            if (stdoutFd < 0)
                close(STDOUT_FILENO);
            else
                dup2(stdoutFd, STDOUT_FILENO);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int raw = 0;
        waitpid(child, &raw, 0);
        return {exitStatus(raw), "", withoutTimeTaken(readFile(dir.file("stderr.txt")))};
    }

    // Runs the converter in the test folder with a limit of the system's
    // (setrlimit's resource) set in its own process alone, which holds no
    // descriptor but the standard ones: a shell's ulimit would bind the
    // shell's redirections too.
    RunResult runWithLimit(const std::string& arguments, int resource, rlim_t limit) const
    {
        const std::string command = "exec " + std::string(ORVANTIS_CLI) + " " + arguments;
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            const int out = open(dir.file("stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(dir.file("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const rlimit limited{limit, limit};
            if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0 ||
                chdir(dir.path().c_str()) != 0)
                _exit(127);
            close_range(3, ~0U, 0); // what the test's own runner left open counts against a descriptor limit
            if (setrlimit(resource, &limited) == 0)
                execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int raw = 0;
        waitpid(child, &raw, 0);
        return {exitStatus(raw), readFile(dir.file("stdout.txt")), withoutTimeTaken(readFile(dir.file("stderr.txt")))};
    }

    // Runs the converter as a user whom file permissions bind, also when the
    // tests run as root.
    RunResult runUnprivileged(const std::string& arguments) const
    {
        const std::string command = shellCommand(arguments, "") + " >" + dir.file("stdout.txt");
        RunResult result;
        result.status = runInChild([&] {
            const int raw = std::system(command.c_str());
            return exitStatus(raw);
        });
        result.out = readFile(dir.file("stdout.txt"));
        result.err = withoutTimeTaken(readFile(dir.file("stderr.txt")));
        return result;
    }

    std::string dataFile(const std::string& name, const std::string& serial = "12345", int channel = 1) const
    {
        const std::string path = dir.file(name);
        writeFile(path, "Tidelume Radiometer: " + serial + "\r\nChannel " + std::to_string(channel) +
                            "\r\n1000,12.46,11.2,3.456,0,1,1,0,0,100,0,1,11,"
                            "100,100,100,100,120,120,120,120,1190,1200,1210\r\n");
        return path;
    }

    TempDir dir;
    std::string cal;

private:
    std::string shellCommand(const std::string& arguments, const std::string& shellSetup) const
    {
        return "cd " + dir.path().string() + " && " + (shellSetup.empty() ? "" : shellSetup + " && ") +
               std::string(ORVANTIS_CLI) + " " + arguments + " 2>" + dir.file("stderr.txt");
    }

    static int exitStatus(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; }
};

// A run's printed results and every output file, which it removes so that
// the next run starts from the same folder.
struct BatchResult {
    RunResult run;
    std::map<std::string, std::string> outputs;
};

class Batch : public Converter {
protected:
    void SetUp() override
    {
        Converter::SetUp();
        for (const char* name : {"EXAMPLE.CAL", "SET0101A.ASC", "SET0101B.ASC", "SET0102A.BIN"})
            std::filesystem::copy_file(std::string(ORVANTIS_EXAMPLES "/") + name, dir.file(name));
        // Its output has the same name as SET0101A.ASC's; it is refused.
        std::filesystem::copy_file(dir.file("SET0102A.BIN"), dir.file("SET0101A.BIN"));
        writeFile(dir.file("EXPORT.ASC"), "Export of something\r\nChannel 1\r\n1,2,3\r\n");
        dataFile("FAR.ASC", "12345", 30);
        dataFile("SMALL.ASC", "12345", 1);
        dataFile("OTHER.ASC", "99999", 1);
    }

    BatchResult convert(const std::string& arguments, const std::string& shellSetup = "") const
    {
        return withOutputs(run(arguments, shellSetup));
    }

    BatchResult convertWithStdoutOn(int stdoutFd, const std::string& arguments) const
    {
        return withOutputs(runWithStdoutOn(stdoutFd, arguments));
    }

    BatchResult withOutputs(RunResult run) const
    {
        BatchResult result{std::move(run), {}};
        // The load time is the one line that differs from run to run.
        result.run.out = std::regex_replace(result.run.out, std::regex("Calibration load took [^\n]*\n"), "");
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".DAT" || extension == ".RAW" || extension == ".BDT" || extension == ".BRW") {
                result.outputs[entry.path().filename().string()] = readFile(entry.path().string());
                std::filesystem::remove(entry.path());
            }
        }
        return result;
    }

    // Converts files one by one and with three jobs; both runs must print
    // and write exactly the same. Returns the one-by-one result.
    BatchResult expectSameWithThreeJobs(const std::string& options, const std::string& files) const
    {
        const BatchResult one = convert("--jobs 1 " + options + " " + files);
        const BatchResult three = convert("--jobs 3 " + options + " " + files);
        EXPECT_EQ(three.run.status, one.run.status);
        EXPECT_EQ(three.run.out, one.run.out);
        EXPECT_EQ(three.run.err, one.run.err);
        EXPECT_TRUE(three.outputs == one.outputs) << "output files differ";
        return one;
    }
};

TEST_F(Batch, ThreeJobsWriteAndPrintTheSameAsOneByOneWithAnyOptions)
{
    const std::string files = "SET0101A.ASC MISSING.ASC SET0101B.ASC EXPORT.ASC SET0101A.BIN FAR.ASC SET0102A.BIN";
    for (const char* options : {"--level 4", "--level 0 --transpose --delimiter tab", "--level 2 --binary",
                                "--level 3 --verbose --transpose", "--level 1 --ignore-immersion"}) {
        SCOPED_TRACE(options);
        const BatchResult one = expectSameWithThreeJobs(std::string("--cal EXAMPLE.CAL ") + options, files);
        EXPECT_EQ(one.run.status, 1);
        EXPECT_EQ(one.outputs.size(), 3u);
        EXPECT_EQ(occurrences(one.run.out, "Calibrate "), 7u);
    }
    const BatchResult refused = expectSameWithThreeJobs("--cal EXAMPLE.CAL --level 9", files);
    EXPECT_TRUE(refused.outputs.empty());
    EXPECT_EQ(refused.run.status, 2);
}

TEST_F(Batch, ThreeJobsLoadTheAssociatedCalibrationsAsOneByOne)
{
    storeCalFile("TDL0417", dir.file("EXAMPLE.CAL"));
    storeCalFile("12345", cal);
    const BatchResult one =
        expectSameWithThreeJobs("--level 4", "SET0101A.ASC SMALL.ASC OTHER.ASC SET0101B.ASC SMALL.ASC SET0102A.BIN");
    EXPECT_EQ(one.run.status, 1);
    EXPECT_EQ(errorsBeforeSummary(one.run.err), "OTHER.ASC: Must associate a calibration file with Tidelume #99999 to "
                                                "use Orvantis. Associate one with: orvantis-cli associate 99999 "
                                                "CALFILE, or convert with --cal CALFILE.\n");
    // Every change of instrument loads its calibration again.
    EXPECT_EQ(occurrences(one.run.out, "Serial# TDL0417, Channel A, Ed calibration loaded."), 3u) << one.run.out;
    EXPECT_EQ(one.outputs.size(), 4u);
}

TEST_F(Batch, FewDescriptorsForManyJobsConvertAndPrintTheSameAsOneByOne)
{
    std::string files;
    for (int i = 0; i < 120; ++i) {
        const std::string name = "F" + std::to_string(i) + ".ASC";
        std::filesystem::copy_file(dir.file("SET0101A.ASC"), dir.file(name));
        files += " " + name;
    }
    const std::string options = "--cal EXAMPLE.CAL" + files + " MISSING.ASC";
    const BatchResult one = convert("--jobs 1 " + options);
    ASSERT_EQ(one.outputs.size(), 120u);
    for (const char* limit : {"ulimit -n 40", "ulimit -n 16"}) {
        SCOPED_TRACE(limit);
        const BatchResult eight = convert("--jobs 8 " + options, limit);
        EXPECT_EQ(eight.run.status, one.run.status);
        EXPECT_EQ(eight.run.out, one.run.out);
        EXPECT_EQ(eight.run.err, one.run.err);
        EXPECT_TRUE(eight.outputs == one.outputs) << "output files differ";
    }
}

// Short of descriptors a file either converts without an error or fails
// and is counted so: no error stands beside a file counted as converted.
TEST_F(Batch, ShortOfDescriptorsNoErrorStandsBesideAFileCountedConverted)
{
    if (SANITIZER_NEEDS_UNBOUND_RESOURCES)
        GTEST_SKIP() << "the sanitizers' runtime needs a free descriptor to check memory";
    for (const rlim_t limit : {4, 5, 6})
        for (const char* options : {"", "--transpose", "--binary", "--jobs 1"}) {
            SCOPED_TRACE("ulimit -n " + std::to_string(limit) + " " + options);
            const BatchResult r = withOutputs(runWithLimit(
                std::string("--cal EXAMPLE.CAL ") + options + " SET0101A.ASC SET0101B.ASC SET0102A.BIN", RLIMIT_NOFILE,
                limit));
            std::smatch converted;
            ASSERT_TRUE(std::regex_search(r.run.err, converted, std::regex("([0-9]+) converted"))) << r.run.err;
            const std::string errors = errorsBeforeSummary(r.run.err);
            EXPECT_EQ(std::stoul(converted[1]), r.outputs.size());
            EXPECT_EQ(r.outputs.size() == 3, errors.empty()) << r.run.err;
            EXPECT_EQ(r.run.status == 0, errors.empty()) << r.run.err;
        }
}

// A pipe whose reader is gone: every write into it fails.
class ReaderlessPipe {
public:
    ReaderlessPipe()
    {
        int ends[2] = {-1, -1};
        if (pipe(ends) == 0)
            close(ends[0]);
        writeEnd_ = ends[1];
    }
    ~ReaderlessPipe() { close(writeEnd_); }
    ReaderlessPipe(const ReaderlessPipe&) = delete;
    ReaderlessPipe& operator=(const ReaderlessPipe&) = delete;

    int writeEnd() const { return writeEnd_; }

private:
    int writeEnd_;
};

// Copies of the converter reading one calibration file at the same time
// never fail each other, however often they meet.
TEST_F(Batch, EightConvertersOnOneCalibrationFileAllSucceed)
{
    for (int copy = 0; copy < 8; ++copy)
        std::filesystem::create_directory(dir.file("run" + std::to_string(copy)));
    std::vector<pid_t> children;
    for (int copy = 0; copy < 8; ++copy) {
        const std::string folder = dir.file("run" + std::to_string(copy));
        std::filesystem::copy_file(dir.file("SET0101A.ASC"), folder + "/SET0101A.ASC");
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            const std::string command = "cd " + folder +
                                        " && for i in 1 2 3 4 5 6 7 8 9 10; do " ORVANTIS_CLI
                                        " --cal ../EXAMPLE.CAL SET0101A.ASC >/dev/null 2>>errors.txt || exit 1; done";
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        children.push_back(child);
    }
    for (std::size_t copy = 0; copy < children.size(); ++copy) {
        int status = 0;
        waitpid(children[copy], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << readFile(dir.file("run" + std::to_string(copy) + "/errors.txt"));
    }
}

TEST_F(Batch, LogStreamThatTakesNothingStopsNoConversionAndIsToldOnce)
{
    const std::string files = "--cal EXAMPLE.CAL SET0101A.ASC MISSING.ASC SET0101B.ASC SET0102A.BIN";
    const ReaderlessPipe readerless;
    const FileHandle full(std::fopen("/dev/full", "w"));
    ASSERT_TRUE(full);
    const std::pair<int, int> streams[] = {{readerless.writeEnd(), EPIPE}, {fileno(full.get()), ENOSPC}};
    for (const char* jobs : {"--jobs 1 ", "--jobs 3 "}) {
        const BatchResult normal = convert(jobs + files);
        for (const auto& [stdoutFd, error] : streams) {
            SCOPED_TRACE(jobs + std::string(std::strerror(error)));
            const BatchResult closed = convertWithStdoutOn(stdoutFd, jobs + files);
            EXPECT_EQ(closed.run.status, normal.run.status);
            EXPECT_TRUE(closed.outputs == normal.outputs) << "output files differ";
            const std::string told = "orvantis-cli: cannot write the log: " + std::string(std::strerror(error)) +
                                     "; the conversions go on without it\n";
            std::string err = closed.run.err;
            const auto at = err.find(told);
            ASSERT_NE(at, std::string::npos) << err;
            err.erase(at, told.size());
            EXPECT_EQ(err, normal.run.err);
        }
    }
}

TEST_F(Batch, ConverterStartedWithoutStdoutWritesTheLogIntoNoOutput)
{
    const std::string files = "--cal EXAMPLE.CAL SET0101A.ASC SET0101B.ASC SET0102A.BIN";
    for (const char* jobs : {"--jobs 1 ", "--jobs 3 "}) {
        SCOPED_TRACE(jobs);
        const BatchResult normal = convert(jobs + files);
        const BatchResult closed = convertWithStdoutOn(-1, jobs + files);
        EXPECT_EQ(closed.run.status, normal.run.status);
        EXPECT_EQ(closed.run.err, normal.run.err);
        EXPECT_TRUE(closed.outputs == normal.outputs) << "output files differ";
    }
}

// Every file a run could destroy, with and without jobs: another input's
// output, an input of the run, a recording under an output's name, and a
// link planted under an output's name in a shared folder. Each is refused
// with its reason before anything is written, and the rest is converted.
TEST_F(Batch, OutputsThatWouldDestroyAFileAreRefusedBeforeWriting)
{
    namespace fs = std::filesystem;
    fs::copy_file(dir.file("SET0101A.ASC"), dir.file("SET.ASC"));
    fs::copy_file(dir.file("SET0102A.BIN"), dir.file("SET.BIN"));
    fs::copy_file(dir.file("SET0101B.ASC"), dir.file("SET"));
    fs::copy_file(dir.file("SET0101B.ASC"), dir.file("X.ASC"));
    fs::copy_file(dir.file("SET0101A.ASC"), dir.file("X.DAT")); // a recording named like an output
    const std::string recording = readFile(dir.file("X.DAT"));
    const std::string alone = convert("--cal EXAMPLE.CAL SET.ASC").outputs.at("SET.DAT");
    writeFile(dir.file("X.DAT"), recording); // each run's outputs are taken away, .DAT files all
    fs::create_directories(dir.path() / "shared");
    fs::permissions(dir.path() / "shared", fs::perms::all | fs::perms::sticky_bit);
    fs::copy_file(dir.file("SET0101B.ASC"), dir.file("shared/S.ASC"));
    writeFile(dir.file("thesis.txt"), "another user's thesis\n");
    fs::permissions(dir.file("thesis.txt"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(dir.file("thesis.txt"), dir.file("shared/S.DAT"));

    struct Case {
        std::string files;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"SET.ASC SET.BIN", {"SET.ASC and SET.BIN would both be written to SET.DAT; SET.BIN not converted\n"}},
        {"SET SET.ASC", {"SET and SET.ASC would both be written to SET.DAT; SET.ASC not converted\n"}},
        {"X.ASC X.DAT",
         {"X.ASC would be written to X.DAT, which is an input of this run; X.ASC not converted\n",
          "Refusing to write X.DAT: it is the input file itself\n"}},
        {"X.ASC", {"Refusing to write X.DAT: it is a Tidelume data file, not an output; not replaced\n"}},
        {"shared/S.ASC", {"shared/S.DAT is a symbolic link; not replaced\n"}},
    };
    for (const char* jobs : {"--jobs 1", "--jobs 2"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(jobs) + " " + c.files);
            const BatchResult r = withOutputs(runUnprivileged(std::string(jobs) + " --cal EXAMPLE.CAL " + c.files));
            EXPECT_EQ(r.run.status, 1);
            for (const std::string& error : c.errors)
                EXPECT_NE(r.run.err.find(error), std::string::npos) << r.run.err;
            if (c.files.rfind("SET", 0) == 0) {
                EXPECT_EQ(r.outputs.count("SET.DAT"), 1u);
            }
            if (c.files == "SET.ASC SET.BIN") {
                EXPECT_EQ(r.outputs.at("SET.DAT"), alone) << "the first input's output was replaced";
            }
            writeFile(dir.file("X.DAT"), recording); // withOutputs takes every .DAT away
        }
    }
    EXPECT_EQ(readFile(dir.file("thesis.txt")), "another user's thesis\n");
    EXPECT_EQ(fs::status(dir.file("thesis.txt")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(fs::is_symlink(dir.file("shared/S.DAT")));
}

// A link planted under one input's output name that leads to another's
// output: refused by its name alone, whether that output has been written
// yet (one by one), is still being written (on threads) or never is.
TEST_F(Batch, LinkToAnotherInputsOutputIsRefusedTheSameWhateverTheTiming)
{
    namespace fs = std::filesystem;
    std::string files = "NOTDATA.ASC LINKED.ASC";
    std::string errors = "NOTDATA.ASC is not a Tidelume data file\n"
                         "LINKED.ASC: NOTDATA.ASC and LINKED.ASC would both be written to LINKED.DAT; "
                         "LINKED.ASC not converted\n";
    fs::copy_file(dir.file("EXPORT.ASC"), dir.file("NOTDATA.ASC"));
    fs::copy_file(dir.file("SMALL.ASC"), dir.file("LINKED.ASC"));
    fs::create_symlink("NOTDATA.DAT", dir.file("LINKED.DAT")); // its output is never written
    for (int pair = 0; pair < 12; ++pair) {
        const std::string first = "A" + std::to_string(pair);
        const std::string second = "B" + std::to_string(pair);
        fs::copy_file(dir.file("SET0101A.ASC"), dir.file(first + ".ASC"));
        fs::copy_file(dir.file("SMALL.ASC"), dir.file(second + ".ASC"));
        fs::create_symlink(first + ".DAT", dir.file(second + ".DAT"));
        files += " " + first + ".ASC " + second + ".ASC";
        errors += second + ".ASC: " + first + ".ASC and " + second + ".ASC would both be written to " + second +
                  ".DAT; " + second + ".ASC not converted\n";
    }
    // The outputs go after each run; the links stay.
    const auto convertPairs = [&](const std::string& jobs) {
        const RunResult r = run(jobs + " --cal EXAMPLE.CAL " + files);
        for (int pair = 0; pair < 12; ++pair)
            EXPECT_TRUE(fs::remove(dir.file("A" + std::to_string(pair) + ".DAT"))) << pair;
        return r;
    };
    const RunResult one = convertPairs("--jobs 1");
    EXPECT_EQ(errorsBeforeSummary(one.err), errors);
    EXPECT_EQ(convertPairs("--jobs 3").err, one.err);
    EXPECT_TRUE(fs::is_symlink(dir.file("B0.DAT")));
}

TEST_F(Converter, VersionAndHelp)
{
    RunResult r = run("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Orvantis 1.33\n");
    r = run("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--cal CALFILE"), std::string::npos);
}

TEST_F(Converter, UsageErrorsExitWithTwo)
{
    const std::vector<std::string> argumentLists = {"",
                                                    "--cal " + cal,
                                                    "--level abc x.ASC",
                                                    "--level 300 x.ASC",
                                                    "--delimiter ab x.ASC",
                                                    "--frobnicate x.ASC",
                                                    "x.ASC --cal",
                                                    "--jobs 0 x.ASC",
                                                    "--jobs two x.ASC",
                                                    "x.ASC --jobs",
                                                    "--binary --netcdf x.ASC",
                                                    "--time-units 'ms after 2025-06-01' x.ASC",
                                                    "x.ASC --time-units",
                                                    "--depth-units '' x.ASC",
                                                    "--attribute 1st=x x.ASC",
                                                    "--attribute platform x.ASC"};
    for (const std::string& arguments : argumentLists) {
        SCOPED_TRACE(arguments);
        const RunResult r = run(arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Usage: orvantis-cli"), std::string::npos);
    }
}

TEST_F(Converter, ConvertsWithTheNamedCalibrationAndLogsInRunOrder)
{
    const std::string data = dataFile("SET01A.ASC");
    const RunResult r = run("--cal " + cal + " " + data);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(summaryOf(r.err), "orvantis-cli: 1 file: 1 converted, 0 failed, 0 skipped; 1 spectrum written in T s\n");
    EXPECT_EQ(errorsBeforeSummary(r.err), "");
    const auto calibrate = r.out.find("Calibrate " + data + "\n");
    const auto channel = r.out.find("Channel 0\n");
    const auto processing = r.out.find("Data file name: " + data + "\nProcessing level:    4 (full cal)\n");
    const auto count = r.out.find("1 spectrum.\n");
    EXPECT_LT(r.out.find("calibration loaded."), calibrate);
    EXPECT_LT(calibrate, channel);
    EXPECT_LT(channel, processing);
    EXPECT_LT(processing, count);
    EXPECT_NE(count, std::string::npos) << r.out;
    const auto lines = splitCrLfLines(readFile(dir.file("SET01A.DAT")));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "Calibration file: " + cal);
    EXPECT_EQ(lines[3], "Channel: Ed, uW/cm^2/nm");
}

TEST_F(Converter, OptionsReachTheOutput)
{
    const std::string data = dataFile("SET01A.ASC");
    const RunResult r = run("--cal " + cal + " --level 0 --transpose --delimiter tab " + data);
    EXPECT_EQ(r.status, 0);
    const auto lines = splitCrLfLines(readFile(dir.file("SET01A.RAW")));
    ASSERT_EQ(lines.size(), 4u + 13u + 11u);
    EXPECT_EQ(lines[4], "Time\t1000");
    EXPECT_EQ(run("--cal " + cal + " --binary --level 2 " + data).status, 0);
    EXPECT_EQ(readFile(dir.file("SET01A.BDT")).size(), 48u + 44u);
    const RunResult netcdf = run("--cal " + cal + " --netcdf --level 2 " + data);
    if (NetcdfOutput::available()) {
        EXPECT_EQ(netcdf.status, 0);
        EXPECT_EQ(readFile(dir.file("SET01A.nc")).substr(1, 3), "HDF"); // NetCDF-4 is an HDF5 file
    } else {
        EXPECT_EQ(netcdf.status, 2);
        EXPECT_EQ(netcdf.err, "orvantis-cli: NetCDF output is not available in this build\n");
    }
}

TEST_F(Converter, SkippedFilesExitWithOneAndTheRestIsConverted)
{
    const std::string good = dataFile("GOOD.ASC");
    const std::string missing = dir.file("MISSING.ASC");
    const std::string unidentified = dir.file("EXPORT.ASC");
    writeFile(unidentified, "Export of something\r\nChannel 1\r\n1,2,3\r\n");
    const std::string farChannel = dataFile("FAR.ASC", "12345", 30);
    const RunResult r = run("--cal " + cal + " " + missing + " " + unidentified + " " + farChannel + " " + good);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(errorsBeforeSummary(r.err), missing + ": Can Not Find File " + missing + "\n" + unidentified +
                                              " is not a Tidelume data file\n" + farChannel +
                                              " has an unknown channel (30)\n");
    EXPECT_NE(r.out.find("Channel 29\n"), std::string::npos);
    EXPECT_EQ(occurrences(r.out, "Data file name: "), 1u);
    EXPECT_TRUE(std::filesystem::exists(dir.file("GOOD.DAT")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("FAR.DAT")));
}

// A season in nested folders with a few bad files: every failure names its
// file, the summary counts each kind and lists them, one-by-one or on threads.
TEST_F(Converter, FolderOfASeasonConvertsWhatItCanAndNamesEveryFailure)
{
    std::filesystem::create_directories(dir.path() / "season" / "c1");
    std::filesystem::create_directories(dir.path() / "season" / "c2" / "deep");
    for (const char* name : {"season/c1/A.ASC", "season/c2/B.asc", "season/c2/deep/C.ASC"})
        dataFile(name);
    const std::string stranger = dataFile("season/c2/U.ASC", "0999");
    const std::string broken = dataFile("season/c1/BROKEN.ASC");
    writeFile(broken, readFile(broken) + "1001,1,2,3,x\r\n");
    const std::string notes = dir.file("season/c2/NOTES.ASC");
    writeFile(notes, "field notes\r\n");
    storeCalFile("12345", cal);
    for (const char* jobs : {"1", "3"}) {
        SCOPED_TRACE(jobs);
        const RunResult r = run(std::string("--jobs ") + jobs + " " + dir.file("season"));
        EXPECT_EQ(r.status, 1);
        const std::string errors = errorsBeforeSummary(r.err);
        for (const std::string& failed : {broken, notes, stranger}) {
            std::istringstream lines(errors);
            bool named = false;
            for (std::string line; std::getline(lines, line);)
                named = named || line.starts_with(failed + ":") || line.starts_with(failed + " ");
            EXPECT_TRUE(named) << failed << " not named in:\n" << errors;
        }
        std::istringstream lines(errors);
        for (std::string line; std::getline(lines, line);)
            EXPECT_TRUE(line.starts_with(broken) || line.starts_with(notes) || line.starts_with(stranger)) << line;
        EXPECT_EQ(
            summaryOf(r.err),
            "orvantis-cli: 6 files: 3 converted, 2 failed, 1 skipped; 4 spectra written in T s\n"
            "  failed: " +
                broken + ": spectrum 2 (byte " + std::to_string(readFile(broken).find("1001,")) +
                ") is damaged and was skipped\n"
                "  skipped: " +
                notes +
                " is not a Tidelume data file\n"
                "  failed: " +
                stranger +
                ": Must associate a calibration file with Tidelume #0999 to use "
                "Orvantis. Associate one with: orvantis-cli associate 0999 CALFILE, or convert with --cal CALFILE.\n");
    }
}

// A folder that cannot be read fails the run: named first on its line with
// the reason and counted in the summary, one by one and on threads alike.
TEST_F(Converter, FolderThatCannotBeReadFailsTheRunAndIsNamed)
{
    for (const char* folder : {"season/c1", "season/c2", "closed"})
        std::filesystem::create_directories(dir.path() / folder);
    for (const char* name : {"season/c1/A.ASC", "season/c2/B.ASC", "closed/C.ASC"})
        dataFile(name);
    for (const char* folder : {"season/c2", "closed"})
        std::filesystem::permissions(dir.path() / folder, std::filesystem::perms::none);
    const auto unreadable = [](const std::string& folder) {
        return folder + ": the folder cannot be read: Permission denied; the data files in it are not converted\n";
    };
    for (const char* jobs : {"1", "3"}) {
        SCOPED_TRACE(jobs);
        const RunResult r = runUnprivileged(std::string("--cal SMALL.CAL --jobs ") + jobs + " season closed");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(errorsBeforeSummary(r.err), unreadable("season/c2") + unreadable("closed"));
        EXPECT_EQ(summaryOf(r.err), "orvantis-cli: 3 files: 1 converted, 2 failed, 0 skipped; 1 spectrum written in T s\n"
                                    "  failed: " + unreadable("season/c2") + "  failed: " + unreadable("closed"));
    }
    for (const char* folder : {"season/c2", "closed"})
        std::filesystem::permissions(dir.path() / folder, std::filesystem::perms::owner_all);
}

TEST_F(Converter, LevelOutsideZeroToFourIsAUsageError)
{
    const std::string data = dataFile("SET01A.ASC");
    for (const char* level : {"7", "-1", "5", "128"}) {
        SCOPED_TRACE(level);
        const RunResult r = run("--cal " + cal + " --level " + level + " " + data);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.rfind("orvantis-cli: --level needs an integer (0 to 4)\n", 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("SET01A.DAT")));
}

TEST_F(Converter, UnreadableCalibrationFileExitsWithTwo)
{
    const std::string data = dataFile("SET01A.ASC");
    const RunResult r = run("--cal " + dir.file("NOWHERE.CAL") + " " + data);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Error: Could not read Calibration File " + dir.file("NOWHERE.CAL")), std::string::npos);
    EXPECT_EQ(r.out.find("Calibrate "), std::string::npos);
}

TEST_F(Converter, WithoutCalUsesTheAssociationOfEachSerial)
{
    const std::string first = dataFile("SET01A.ASC");
    const std::string second = dataFile("SET02A.ASC");
    const std::string stranger = dataFile("OTHER.ASC", "99999");
    storeCalFile("12345", cal);
    const RunResult r = run(first + " " + stranger + " " + second);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(errorsBeforeSummary(r.err), stranger +
                                              ": Must associate a calibration file with Tidelume #99999 to use "
                                              "Orvantis. Associate one with: orvantis-cli associate 99999 CALFILE, "
                                              "or convert with --cal CALFILE.\n");
    // The stranger's failed lookup leaves a reload pending, as in the window.
    EXPECT_EQ(occurrences(r.out, "calibration loaded."), 2u) << r.out;
    EXPECT_EQ(splitCrLfLines(readFile(dir.file("SET02A.DAT")))[2], "Calibration file: " + cal);
    EXPECT_FALSE(std::filesystem::exists(dir.file("OTHER.DAT")));
}

TEST_F(Converter, AssociationToAMissingFileIsNoAssociation)
{
    const std::string data = dataFile("SET01A.ASC");
    storeCalFile("12345", dir.file("GONE.CAL"));
    const RunResult r = run(data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(errorsBeforeSummary(r.err), data + ": Must associate a calibration file with Tidelume #12345 to use "
                                                 "Orvantis. Associate one with: orvantis-cli associate 12345 CALFILE, "
                                                 "or convert with --cal CALFILE.\n");
}

// Ordinary mistakes: each fails with a clear message and a non-zero status,
// and no file that was there before is changed.
TEST_F(Converter, MistakesFailClearlyAndDestroyNothing)
{
    namespace fs = std::filesystem;
    const std::string previous = "a previous output\n";
    fs::create_directories(dir.path() / "c");
    fs::create_directories(dir.path() / "run.2024");
    fs::copy_file(cal, dir.file("c/S.DAT"));
    dataFile("c/S.ASC");
    fs::copy_file(dataFile("X.ASC"), dir.file("X.DAT"));
    dataFile("A.ASC");
    fs::create_symlink("A.ASC", dir.file("A.DAT"));
    dataFile("run.2024/SET");
    writeFile(dir.file("run.DAT"), previous);
    writeFile(dir.file("JUNK.CAL"), std::string("\x13\x88[junk\x00\xff]\r\n\x01\x02", 14));
    dataFile("B.ASC");
    writeFile(dir.file("B.DAT"), previous);
    writeFile(dir.file("EMPTY.ASC"), "");
    ASSERT_EQ(mkfifo(dir.file("FIFO.CAL").c_str(), 0600), 0);
    struct Case {
        std::string arguments;
        int status;
        std::string error;
    };
    const Case cases[] = {
        {"--cal SMALL.CAL X.DAT", 1, "Refusing to write X.DAT: it is the input file itself\n"},
        {"--cal SMALL.CAL A.ASC", 1, "A.DAT is a symbolic link; not replaced\n"},
        {"--cal c/S.DAT c/S.ASC", 1, "Refusing to write c/S.DAT: it is the calibration file\n"},
        {"--cal JUNK.CAL B.ASC", 2, "No channel calibration found in JUNK.CAL\n"},
        {"--cal X.ASC B.ASC", 2, "No channel calibration found in X.ASC\n"},
        {"--cal /dev/zero B.ASC", 2, "\"/dev/zero\": not a regular file"},
        {"--cal FIFO.CAL B.ASC", 2, "\"FIFO.CAL\": not a regular file"},
        {"--cal SMALL.CAL EMPTY.ASC", 1, "  failed: EMPTY.ASC is empty (0 bytes)\n"},
        // Neither waits for a writer nor reads without end.
        {"--cal SMALL.CAL FIFO.CAL", 1, "FIFO.CAL is not a regular file; not converted\n"},
        {"--cal SMALL.CAL /dev/zero", 1, "/dev/zero is not a regular file; not converted\n"},
        // A folder without data files converts nothing and says so.
        {"--cal SMALL.CAL run.2024", 0, "orvantis-cli: 0 files: 0 converted"},
    };
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        if (entry.is_regular_file() && !entry.is_symlink())
            before[entry.path().string()] = readFile(entry.path().string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const RunResult r = run(c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    }
    for (const auto& [path, bytes] : before)
        EXPECT_EQ(readFile(path), bytes) << path;
    EXPECT_EQ(fs::read_symlink(dir.file("A.DAT")), "A.ASC");

    // The output name is cut inside the file name only.
    EXPECT_EQ(run("--cal SMALL.CAL run.2024/SET").status, 0);
    EXPECT_TRUE(fs::exists(dir.file("run.2024/SET.DAT")));
    EXPECT_EQ(readFile(dir.file("run.DAT")), previous);
}

// A NetCDF output on a disk that fills up, while its values are written or
// already at its creation: the file fails with the system's reason, and the
// converter neither crashes nor leaves anything but the previous output.
TEST_F(Converter, NetcdfOnAFullDiskFailsTheFileWithTheSystemsReason)
{
    namespace fs = std::filesystem;
    if (!NetcdfOutput::available())
        GTEST_SKIP() << "NetCDF output is not built";
    const SmallDisk disk(dir.path() / "disk", 64);
    ASSERT_TRUE(disk.mounted()) << disk.why();
    std::string text = "Tidelume Radiometer: 12345\r\nChannel 1\r\n";
    for (int j = 0; j < 3000; ++j) {
        text += std::to_string(j) + ",12.46,11.2,3.456,0,1,1,0,0,100,0,1,11";
        for (int k = 0; k < 11; ++k)
            text += "," + std::to_string((j * 7919 + k * 104729) % 30011);
        text += "\r\n";
    }
    writeFile(dir.file("S.ASC"), text);
    fs::create_symlink(dir.file("S.ASC"), dir.file("disk/S.ASC")); // the output goes beside it, on the disk
    writeFile(dir.file("disk/S.nc"), "the previous output\n");
    for (const bool fullAtCreation : {false, true}) {
        SCOPED_TRACE(fullAtCreation ? "full at creation" : "full while writing");
        if (fullAtCreation)
            disk.fill();
        const RunResult r = run("--netcdf --cal SMALL.CAL disk/S.ASC");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Error writing output file disk/S.nc: No space left on device"), std::string::npos)
            << r.err;
        EXPECT_EQ(r.out.find("Permission denied"), std::string::npos) << r.out;
        EXPECT_EQ(readFile(dir.file("disk/S.nc")), "the previous output\n");
        for (const auto& entry : fs::directory_iterator(dir.path() / "disk"))
            EXPECT_NE(entry.path().extension(), ".part") << entry.path();
    }
}

// HDF5 prints its own error stacks (naming the hidden temporary) from every
// thread that has not switched them off: NetCDF outputs failing on a batch's
// threads say only what they say one by one.
TEST_F(Converter, NetcdfFailuresOnThreadsSayWhatTheySayOneByOne)
{
    if (!NetcdfOutput::available())
        GTEST_SKIP() << "NetCDF output is not built";
    std::string text = "Tidelume Radiometer: 12345\r\nChannel 1\r\n";
    for (int j = 0; j < 2000; ++j)
        text += std::to_string(j) +
                ",12.46,11.2,3.456,0,1,1,0,0,100,0,1,11,100,100,100,100,120,120,120,120,1190,1200,1210\r\n";
    std::string files;
    for (const char* name : {"A.ASC", "B.ASC", "C.ASC", "D.ASC"}) {
        writeFile(dir.file(name), text);
        files += std::string(" ") + name;
    }
    const std::string arguments = "--netcdf --quiet --cal SMALL.CAL" + files;
    // Files may not grow past 32 kB: every output fails while it is written.
    const RunResult one = runWithLimit("--jobs 1 " + arguments, RLIMIT_FSIZE, 32 << 10);
    const RunResult four = runWithLimit("--jobs 4 " + arguments, RLIMIT_FSIZE, 32 << 10);
    EXPECT_EQ(one.status, 1);
    EXPECT_NE(one.err.find("A.ASC: Error writing output file A.nc: File too large; not written\n"), std::string::npos)
        << one.err;
    EXPECT_EQ(four.err.find("HDF5"), std::string::npos) << four.err.substr(0, 2000);
    EXPECT_EQ(four.err, one.err);
    EXPECT_EQ(four.status, one.status);
}

// A batch of two instruments with one of their calibrations: the other's
// files are refused unless asked for, and then said on stderr and in the
// summary; by one job or three alike.
TEST_F(Batch, CalibrationOfAnotherInstrumentConvertsOnlyWithItsOption)
{
    const std::string files = "SMALL.ASC OTHER.ASC SET0101A.ASC";
    const BatchResult refused = expectSameWithThreeJobs("--cal SMALL.CAL", files);
    const std::string refusal = "OTHER.ASC is from Tidelume #99999 but SMALL.CAL is for #12345: not converted "
                                "(associate #99999's own calibration, or give --cal-any-serial to use it anyway)";
    EXPECT_EQ(refused.run.status, 1);
    EXPECT_EQ(errorsBeforeSummary(refused.run.err), refusal + "\n" + "SET0101A.ASC is from Tidelume #TDL0417 but " +
                                                        "SMALL.CAL is for #12345: not converted (associate " +
                                                        "#TDL0417's own calibration, or give --cal-any-serial to " +
                                                        "use it anyway)\n");
    EXPECT_NE(refused.run.err.find("  failed: " + refusal + "\n"), std::string::npos) << refused.run.err;
    EXPECT_EQ(refused.outputs.size(), 1u);
    EXPECT_TRUE(refused.outputs.contains("SMALL.DAT"));

    const BatchResult allowed = expectSameWithThreeJobs("--cal SMALL.CAL --cal-any-serial --quiet", files);
    const std::string warning = "OTHER.ASC is from Tidelume #99999 but SMALL.CAL is for #12345: converted with it "
                                "all the same";
    EXPECT_EQ(allowed.run.status, 0);
    EXPECT_EQ(errorsBeforeSummary(allowed.run.err), warning + "\nSET0101A.ASC is from Tidelume #TDL0417 but " +
                                                        "SMALL.CAL is for #12345: converted with it all the same\n");
    EXPECT_NE(allowed.run.err.find("  warning: " + warning + "\n"), std::string::npos) << allowed.run.err;
    EXPECT_EQ(allowed.outputs.size(), 3u);
}

// A file-size limit makes the write that crosses it fail as on a full disk,
// one by one and in a batch's children alike: that file is not converted and
// keeps its previous output, and the run goes on with the next file.
TEST_F(Converter, FileSizeLimitFailsTheFileAndTheRunGoesOn)
{
    std::string text = "Tidelume Radiometer: 12345\r\nChannel 1\r\n";
    for (int j = 0; j < 2000; ++j)
        text += std::to_string(j) +
                ",12.46,11.2,3.456,0,1,1,0,0,100,0,1,11,100,100,100,100,120,120,120,120,1190,1200,1210\r\n";
    writeFile(dir.file("LONG.ASC"), text);
    dataFile("SMALL.ASC");
    for (const char* jobs : {"--jobs 1", "--jobs 2"}) {
        SCOPED_TRACE(jobs);
        writeFile(dir.file("LONG.DAT"), "a previous output\n");
        std::filesystem::remove(dir.file("SMALL.DAT"));
        // 64 blocks of 512 bytes in the shell that runs it: SMALL.DAT fits.
        const RunResult r = run("--cal SMALL.CAL " + std::string(jobs) + " LONG.ASC SMALL.ASC", "ulimit -f 64");
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE((r.out + r.err).find("Error writing output file LONG.DAT: File too large"), std::string::npos)
            << r.out << r.err;
        EXPECT_NE(r.out.find("-> SMALL.DAT"), std::string::npos) << r.out;
        EXPECT_EQ(readFile(dir.file("LONG.DAT")), "a previous output\n");
        EXPECT_TRUE(std::filesystem::exists(dir.file("SMALL.DAT")));
        EXPECT_EQ(temporariesIn(dir.path()), std::vector<std::string>{});
    }
}

// Waits until a file NAME.part is made in the folder `watch` watches (true),
// or until another file there is written first or the process holding the
// other end of `alive` has ended (false).
bool temporaryMade(int watch, int alive)
{
    alignas(inotify_event) char events[4096];
    for (;;) {
        pollfd ends[] = {{watch, POLLIN, 0}, {alive, POLLIN, 0}};
        if (poll(ends, 2, -1) < 0)
            return false;
        if ((ends[0].revents & POLLIN) == 0)
            return false; // the process ended first
        const ssize_t length = read(watch, events, sizeof events);
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->len > 0 && std::string_view(event->name).ends_with(".part"))
                return true;
            if ((event->mask & IN_MODIFY) != 0)
                return false;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

// The converter is stopped while its log waits on a full pipe, in the middle
// of writing the output.
TEST_F(Converter, TerminatedRunLeavesThePreviousOutputAndNoTemporary)
{
    namespace fs = std::filesystem;
    std::string text = "Tidelume Radiometer: 12345\r\nChannel 1\r\n";
    for (int j = 0; j < 20000; ++j)
        text += std::to_string(j) +
                ",12.46,11.2,3.456,0,1,1,0,0,100,0,1,11,100,100,100,100,120,120,120,120,1190,1200,1210\r\n";
    writeFile(dir.file("LONG.ASC"), text);
    writeFile(dir.file("LONG.DAT"), "a previous output\n");
    // Watched before the converter starts, so its temporary cannot be missed.
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.path().c_str(), IN_CREATE | IN_MOVED_TO | IN_MODIFY), 0);
    int log[2];
    int alive[2]; // the converter holds the write end until it ends
    ASSERT_EQ(pipe(log), 0);
    ASSERT_EQ(pipe(alive), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(log[1], STDOUT_FILENO);
        close(log[0]);
        close(alive[0]);
        if (chdir(dir.path().c_str()) == 0)
            execl(ORVANTIS_CLI, ORVANTIS_CLI, "--cal", cal.c_str(), "--verbose", "LONG.ASC", nullptr);
        _exit(127);
    }
    close(log[1]);
    close(alive[1]);
    const auto temporaryPresent = [&] {
        for (const auto& entry : fs::directory_iterator(dir.path()))
            if (entry.path().extension() == ".part")
                return true;
        return false;
    };
    EXPECT_TRUE(temporaryMade(watch, alive[0]));
    EXPECT_TRUE(temporaryPresent());
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    close(log[0]);
    close(alive[0]);
    close(watch);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_FALSE(temporaryPresent());
    EXPECT_EQ(readFile(dir.file("LONG.DAT")), "a previous output\n");
}

} // namespace
