// Runs the built converter as a real process and checks its output streams,
// the files it writes and its exit status.

#include "platform/associations.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

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

    RunResult run(const std::string& arguments) const
    {
        const std::string errFile = dir.file("stderr.txt");
        const std::string command = std::string(ORVANTIS_CLI) + " " + arguments + " 2>" + errFile;
        RunResult result;
        std::FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return result;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            result.out.append(buffer, n);
        const int raw = pclose(pipe);
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.err = readFile(errFile);
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
};

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
    const std::vector<std::string> argumentLists = {"",         "--cal " + cal,         "--level abc x.ASC",
                                                    "--level 300 x.ASC", "--delimiter ab x.ASC", "--frobnicate x.ASC",
                                                    "x.ASC --cal"};
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
    EXPECT_EQ(r.err, "");
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
    EXPECT_EQ(r.err, "Can Not Find File " + missing + "\n");
    EXPECT_NE(r.out.find("Channel 29\n"), std::string::npos);
    EXPECT_EQ(occurrences(r.out, "Data file name: "), 1u);
    EXPECT_TRUE(std::filesystem::exists(dir.file("GOOD.DAT")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("FAR.DAT")));
}

TEST_F(Converter, RefusedLevelIsAFileThatCouldNotBeCalibrated)
{
    const std::string data = dataFile("SET01A.ASC");
    const RunResult r = run("--cal " + cal + " --level 7 " + data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "invalid processing level\nError: Could Not Calibrate " + data + "\n");
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
    EXPECT_EQ(r.err, "No calibration file associated with Tidelume #99999\n");
    EXPECT_EQ(occurrences(r.out, "calibration loaded."), 1u) << r.out;
    EXPECT_EQ(splitCrLfLines(readFile(dir.file("SET02A.DAT")))[2], "Calibration file: " + cal);
    EXPECT_FALSE(std::filesystem::exists(dir.file("OTHER.DAT")));
}

TEST_F(Converter, AssociationToAMissingFileIsNoAssociation)
{
    const std::string data = dataFile("SET01A.ASC");
    storeCalFile("12345", dir.file("GONE.CAL"));
    const RunResult r = run(data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "No calibration file associated with Tidelume #12345\n");
}

} // namespace
