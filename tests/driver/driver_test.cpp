// The driver with a scripted front end: when it loads a calibration again,
// what it remembers across a run, and the fixed calibration file.

#include "driver/data_files.h"
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

TEST_F(DriverTest, FixedCalibrationFileServesEveryInstrumentWithoutLookingAnythingUp)
{
    ASSERT_TRUE(driver.useFixedCalFile(cal));
    driver.startRun({});
    frontEnd.clearLog();
    EXPECT_EQ(convert("SET0101A.ASC"), FileOutcome::Converted);
    EXPECT_EQ(convert(otherData), FileOutcome::Converted);
    EXPECT_TRUE(frontEnd.lookups.empty());
    EXPECT_EQ(loads(), 0);
    EXPECT_NE(frontEnd.log().find("WARNING: Calibration file " + cal + " is for Tidelume #TDL0417, " + otherData +
                                  " is from Tidelume #TDL0999\n"),
              std::string::npos)
        << frontEnd.log();

    EXPECT_FALSE(driver.useFixedCalFile(dir.file("SET0101A.ASC"))); // no calibration in it
    EXPECT_EQ(frontEnd.failures.back(), "Error: Could not read Calibration File " + dir.file("SET0101A.ASC"));
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
