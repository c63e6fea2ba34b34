// The driver with a scripted front end: when it loads a calibration again,
// what it remembers across a run, the fixed calibration file, and the
// outputs a run refuses to write.

#include "driver/data_files.h"
#include "driver/run_report.h"
#include "fake_front_end.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

namespace {

namespace fs = std::filesystem;

// Copies of the example data and calibration, and of both for a second
// instrument, #TDL0999.
class DriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"EXAMPLE.CAL", "SET0101A.ASC", "SET0101B.ASC", "SET0102A.BIN"})
            fs::copy_file(fs::path(ORVANTIS_EXAMPLES) / name, dir.path() / name);
        cal = dir.file("EXAMPLE.CAL");
        otherCal = dir.write("OTHER.CAL", replaced(readFile(cal), "TDL0417", "TDL0999"));
        otherData = dir.write("OTHER.ASC", replaced(readFile(dir.file("SET0101A.ASC")), "TDL0417", "TDL0999"));
        frontEnd.associations = {{"TDL0417", cal}, {"TDL0999", otherCal}};
    }

    static std::string replaced(std::string text, const std::string& from, const std::string& to)
    {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        return text;
    }

    // How many times a calibration file was loaded since the log was cleared.
    int loads() const
    {
        const std::string& log = frontEnd.log();
        const std::regex loaded("Channel A, \\w+ calibration loaded");
        return static_cast<int>(std::distance(std::sregex_iterator(log.begin(), log.end(), loaded), {}));
    }

    FileOutcome convert(const std::string& name)
    {
        const std::string path = fs::path(name).is_absolute() ? name : dir.file(name);
        return driver.convert(path);
    }

    TempDir dir;
    std::string cal;
    std::string otherCal;
    std::string otherData;
    FakeFrontEnd frontEnd;
    ConversionDriver driver{frontEnd};
};

TEST_F(DriverTest, CalibrationIsLoadedAgainOnlyWhenItsFileSerialOrImmersionChanges)
{
    frontEnd.conversionOptions.verbose = true;
    driver.startRun({});
    ASSERT_EQ(convert("SET0101A.ASC"), FileOutcome::Converted) << frontEnd.log();
    EXPECT_EQ(loads(), 1);
    EXPECT_NE(frontEnd.log().find("No Calibration Loaded yet.\n"), std::string::npos);

    frontEnd.clearLog();
    ASSERT_EQ(convert("SET0101B.ASC"), FileOutcome::Converted); // another channel, the same file
    ASSERT_EQ(convert("SET0102A.BIN"), FileOutcome::Converted);
    EXPECT_EQ(loads(), 0) << frontEnd.log();
    EXPECT_EQ(frontEnd.lookups, std::vector<std::string>{"TDL0417"});

    const auto age = fs::last_write_time(cal);
    fs::last_write_time(cal, age + std::chrono::minutes(1)); // the file was written again
    frontEnd.clearLog();
    ASSERT_EQ(convert("SET0101A.ASC"), FileOutcome::Converted);
    EXPECT_EQ(loads(), 1);

    frontEnd.conversionOptions.ignoreImmersion = true;
    frontEnd.clearLog();
    ASSERT_EQ(convert("SET0101A.ASC"), FileOutcome::Converted);
    EXPECT_EQ(loads(), 1);
    frontEnd.clearLog();
    ASSERT_EQ(convert("SET0101A.ASC"), FileOutcome::Converted);
    EXPECT_EQ(loads(), 0);

    frontEnd.clearLog();
    ASSERT_EQ(convert(otherData), FileOutcome::Converted);
    EXPECT_NE(frontEnd.log().find("Old Serial: TDL0417, new Serial:TDL0999\n"), std::string::npos) << frontEnd.log();
    EXPECT_EQ(loads(), 1);
    EXPECT_EQ(frontEnd.lookups, (std::vector<std::string>{"TDL0417", "TDL0417", "TDL0417", "TDL0999"}));
}

TEST_F(DriverTest, ChosenCalibrationIsRememberedForEveryFileTheRunConverts)
{
    frontEnd.associations.clear();
    frontEnd.chosenCalFile = cal;
    driver.startRun({});
    ASSERT_EQ(convert("SET0101A.ASC"), FileOutcome::Converted);
    ASSERT_EQ(convert("SET0101B.ASC"), FileOutcome::Converted);
    const std::string damaged = dir.write("DAMAGED.ASC", readFile(dir.file("SET0101A.ASC")) + "1000,2,3,4,x\r\n");
    EXPECT_EQ(convert(damaged), FileOutcome::NotConverted);
    EXPECT_EQ(frontEnd.remembered, (std::vector<std::string>{"TDL0417=" + cal, "TDL0417=" + cal}));
    EXPECT_EQ(frontEnd.failures, std::vector<std::string>{"Error: Could Not Calibrate " + damaged});

    // A new run has chosen nothing yet: converting stores nothing more.
    driver.startRun({});
    ASSERT_EQ(convert("SET0101A.ASC"), FileOutcome::Converted);
    EXPECT_EQ(frontEnd.remembered.size(), 2u);
}

TEST_F(DriverTest, WithoutAnAssociationOrAChoiceTheFileIsNotConverted)
{
    frontEnd.associations.clear();
    driver.startRun({});
    EXPECT_EQ(convert("SET0101A.ASC"), FileOutcome::NotConverted);
    EXPECT_EQ(frontEnd.failures,
              std::vector<std::string>{"Must associate a calibration file with Tidelume #TDL0417 to use Orvantis."});
    EXPECT_FALSE(fs::exists(dir.file("SET0101A.DAT")));
}

TEST_F(DriverTest, FixedCalibrationFileIsLoadedOnceWithoutLookingAnythingUp)
{
    ASSERT_TRUE(driver.useFixedCalFile(cal));
    driver.startRun({});
    frontEnd.clearLog();
    EXPECT_EQ(convert("SET0101A.ASC"), FileOutcome::Converted);
    EXPECT_EQ(convert("SET0101B.ASC"), FileOutcome::Converted);
    EXPECT_TRUE(frontEnd.lookups.empty());
    EXPECT_EQ(loads(), 0);
    EXPECT_TRUE(frontEnd.warnings.empty());

    EXPECT_FALSE(driver.useFixedCalFile(dir.file("SET0101A.ASC"))); // no calibration in it
    EXPECT_EQ(frontEnd.failures.back(), "Error: Could not read Calibration File " + dir.file("SET0101A.ASC"));
}

// However the calibration came (given, associated or just chosen), another
// instrument's is used only when the front end allows it, and never silently.
TEST_F(DriverTest, AnotherInstrumentsCalibrationConvertsOnlyWhenAllowed)
{
    const std::string refusal = otherData + " is from Tidelume #TDL0999 but " + cal +
                                " is for #TDL0417: not converted (associate #TDL0999's own calibration, or give "
                                "--cal-any-serial to use it anyway)";
    const std::string output = dir.file("OTHER.DAT");
    ASSERT_TRUE(driver.useFixedCalFile(cal));
    driver.startRun({});
    EXPECT_EQ(convert(otherData), FileOutcome::NotConverted);
    EXPECT_EQ(frontEnd.failures, std::vector<std::string>{refusal});
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(convert("SET0101A.ASC"), FileOutcome::Converted); // its own instrument's file still converts

    frontEnd.allowForeign = true;
    EXPECT_EQ(convert(otherData), FileOutcome::Converted);
    EXPECT_EQ(convert(otherData), FileOutcome::Converted);
    EXPECT_EQ(frontEnd.foreignAsked, 2); // an answer of yes holds for the pair
    const std::string warning =
        otherData + " is from Tidelume #TDL0999 but " + cal + " is for #TDL0417: converted with it all the same";
    EXPECT_EQ(frontEnd.warnings, std::vector<std::string>(2, warning));

    ConversionDriver associated(frontEnd); // an association of the wrong file
    frontEnd.allowForeign = false;
    frontEnd.failures.clear();
    frontEnd.associations["TDL0999"] = cal;
    associated.startRun({});
    EXPECT_EQ(associated.convert(otherData), FileOutcome::NotConverted);
    EXPECT_EQ(frontEnd.failures, std::vector<std::string>{refusal});

    ConversionDriver chosen(frontEnd); // the user's choice of the wrong file is never stored
    frontEnd.associations.clear();
    frontEnd.chosenCalFile = cal;
    chosen.startRun({});
    EXPECT_EQ(chosen.convert(otherData), FileOutcome::NotConverted);
    EXPECT_EQ(chosen.convert(dir.file("SET0101A.ASC")), FileOutcome::Converted);
    EXPECT_EQ(frontEnd.remembered, std::vector<std::string>{"TDL0417=" + cal});
}

TEST_F(DriverTest, CalibrationWithoutSerialConvertsWithAWarning)
{
    const std::string anonymous = dir.write("ANON.CAL", replaced(readFile(cal), "[ID]\r\nTDL0417", "[ID]\r\n"));
    ASSERT_TRUE(driver.useFixedCalFile(anonymous));
    driver.startRun({});
    EXPECT_EQ(convert(otherData), FileOutcome::Converted);
    EXPECT_EQ(frontEnd.warnings, std::vector<std::string>{otherData + " is from Tidelume #TDL0999 but " + anonymous +
                                                          " names no Tidelume serial number: converted with it "
                                                          "unchecked"});
    EXPECT_EQ(frontEnd.foreignAsked, 0);
}

// A cast lost to an empty file fails saying so; a file of another kind is
// named whole in the log, also when debug text came between.
TEST_F(DriverTest, EmptyFileFailsAndNoDataFileIsNamed)
{
    driver.startRun({});
    const std::string empty = dir.write("EMPTY.ASC", "");
    EXPECT_EQ(convert(empty), FileOutcome::NotConverted);
    EXPECT_EQ(frontEnd.failures, std::vector<std::string>{empty + " is empty (0 bytes)"});
    EXPECT_TRUE(frontEnd.skipped.empty());

    const std::string notes = dir.write("NOTES.ASC", "Some notes\r\nabout nothing\r\n");
    for (const bool verbose : {false, true}) {
        frontEnd.conversionOptions.verbose = verbose;
        frontEnd.clearLog();
        EXPECT_EQ(convert(notes), FileOutcome::NotConverted);
        const std::string& log = frontEnd.log();
        const std::string lastLine = log.substr(log.rfind('\n', log.size() - 2) + 1);
        EXPECT_TRUE(lastLine.starts_with(notes) && lastLine.ends_with(" is not a Tidelume data file\n")) << log;
    }
}

// Two inputs of one run that would write one output: the first keeps it and
// the second is passed over, while a file listed twice converts again.
TEST_F(DriverTest, LaterInputOfARunWritingAnEarlierOnesOutputIsPassedOver)
{
    const std::string first = dir.file("SET0101A.ASC");
    const std::string second = dir.write("SET0101A.TXT", readFile(dir.file("SET0101B.ASC")));
    const std::string output = dir.file("SET0101A.DAT");
    driver.startRun({first, second, first});
    ASSERT_EQ(driver.convert(first), FileOutcome::Converted) << frontEnd.log();
    const std::string converted = readFile(output);

    EXPECT_EQ(driver.convert(second), FileOutcome::NotConverted);
    const std::string refusal =
        first + " and " + second + " would both be written to " + output + "; " + second + " not converted";
    EXPECT_EQ(frontEnd.skipped, std::vector<std::string>{refusal});
    EXPECT_NE(frontEnd.log().find(refusal + "\n"), std::string::npos) << frontEnd.log();
    EXPECT_EQ(readFile(output), converted);

    EXPECT_EQ(driver.convert(first), FileOutcome::Converted);
    EXPECT_EQ(frontEnd.skipped.size(), 1u);
    EXPECT_TRUE(frontEnd.failures.empty());
}

// An input whose output would go under the name of another input of the run
// is passed over, even when that file is only an earlier output, which the
// conversion itself would write over.
TEST_F(DriverTest, InputWhoseOutputIsAnotherInputOfTheRunIsPassedOver)
{
    const std::string data = dir.file("SET0101A.ASC");
    const std::string listed = dir.write("SET0101A.DAT", "an earlier output\r\n");
    driver.startRun({data, listed});
    EXPECT_EQ(driver.convert(data), FileOutcome::NotConverted);
    const std::string refusal =
        data + " would be written to " + listed + ", which is an input of this run; " + data + " not converted";
    EXPECT_EQ(frontEnd.skipped, std::vector<std::string>{refusal});
    EXPECT_NE(frontEnd.log().find(refusal + "\n"), std::string::npos) << frontEnd.log();
    EXPECT_EQ(readFile(listed), "an earlier output\r\n");

    driver.startRun({data}); // a run without that file writes it
    EXPECT_EQ(driver.convert(data), FileOutcome::Converted);
    EXPECT_EQ(frontEnd.skipped.size(), 1u);
}

// A recording saved under an input's output name, though no input of the
// run, is never written over: the input fails, saying why.
TEST_F(DriverTest, RecordingUnderAnOutputNameIsNotWrittenOver)
{
    const std::string data = dir.file("SET0101A.ASC");
    const std::string recorded = readFile(dir.file("SET0101B.ASC"));
    const std::string recording = dir.write("SET0101A.DAT", recorded);
    driver.startRun({data});
    EXPECT_EQ(driver.convert(data), FileOutcome::NotConverted);
    EXPECT_NE(frontEnd.log().find("[box] Refusing to write " + recording +
                                  ": it is a Tidelume data file, not an output; not replaced\n"),
              std::string::npos)
        << frontEnd.log();
    EXPECT_EQ(frontEnd.failures, std::vector<std::string>{"Error: Could Not Calibrate " + data});
    EXPECT_TRUE(frontEnd.skipped.empty());
    EXPECT_EQ(readFile(recording), recorded);
}

// The summary names a failed file by what stopped it, not by a warning met
// on the way, and lists converted files that carry a warning.
TEST(RunReportTest, FailedFilesShowTheirStoppingErrorAndWarningsAreListed)
{
    RunReport report({"A.ASC", "B.ASC", "C.ASC"});
    report.error(0, "A.ASC: WARNING: A.ASC: skipped a line at byte 9 that is not a spectrum");
    report.error(0, "A.ASC: Error writing output file A.DAT: No space left on device; not written");
    report.error(0, "A.ASC: Error: Could Not Calibrate A.ASC");
    report.ended(0, FileOutcome::NotConverted);
    report.warning(1, "B.ASC: 2 spectra stay at level 2");
    report.ended(1, FileOutcome::Converted);
    report.ended(2, FileOutcome::Converted);
    const std::string summary = report.summary(1.0);
    EXPECT_EQ(summary.substr(summary.find('\n') + 1),
              "  failed: A.ASC: Error writing output file A.DAT: No space left on device; not written\n"
              "  warning: B.ASC: 2 spectra stay at level 2\n");
    EXPECT_EQ(report.inWords(), "2 files converted, 1 failed");
}

TEST_F(DriverTest, FolderStandsForTheDataFilesUnderItInSortedOrder)
{
    fs::create_directories(dir.path() / "season" / "c2" / "deep");
    fs::create_directories(dir.path() / "season" / "c1");
    for (const char* name : {"season/c2/deep/B.bin", "season/c1/A.ASC", "season/c1/A.DAT", "season/c1/A.BDT",
                             "season/c2/notes.txt", "season/c1/.A.DAT.x1.part", "season/Z.Asc"})
        dir.write(name, "x");
    const std::string season = dir.file("season");
    const DataFileList listed = dataFilesOf({dir.file("SET0101A.ASC"), season, dir.file("MISSING.ASC")});
    const auto under = [&](const char* name) { return (fs::path(season) / name).make_preferred().string(); };
    EXPECT_EQ(listed.files, (std::vector<std::string>{dir.file("SET0101A.ASC"), under("Z.Asc"), under("c1/A.ASC"),
                                                      under("c2/deep/B.bin"), dir.file("MISSING.ASC")}));
    EXPECT_TRUE(listed.failures.empty());
}

} // namespace
