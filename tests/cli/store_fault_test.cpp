// The converter, run as a real process, against a store that cannot be used:
// each condition gets its own message and exit status, reading goes on where
// it can, and the store file is left byte for byte as it was.

#include "store/associations.h"
#include "temp_dir.h"
#include "sample_files.h"
#include "unprivileged_child.h"

#include "converter_errors.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

class StoreFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
        fs::create_directories(store.parent_path());
        fs::create_directories(data);
        writeFile(cal, smallCalibrationText());
        writeFile(dataFile, "Tidelume Radiometer: 12345\r\nChannel 1\r\n1000,12.46,11.2,3.456,0,1,1,0,0,100,0,1,11,"
                            "100,100,100,100,120,120,120,120,1190,1200,1210\r\n");
    }

    // Runs the converter in the data folder; unprivileged, file permissions
    // bind it even when the tests run as root.
    RunResult run(const std::vector<std::string>& arguments, bool unprivileged = false) const
    {
        const std::string outFile = dir.file("stdout.txt");
        const std::string errFile = dir.file("stderr.txt");
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> words{program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        RunResult result;
        result.status = runInChild(
            [&] {
                if (dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(data.c_str()) != 0)
                    return 126;
                execv(argv[0], argv.data());
                return 127;
            },
            unprivileged ? ChildPrivileges::Dropped : ChildPrivileges::Kept);
        close(out);
        close(err);
        result.out = readFile(outFile);
        result.err = readFile(errFile);
        return result;
    }

    std::string storeBytes() const { return readFile(store.string()); }
    // The store's bytes, or for a folder in its place its number of entries.
    std::string storeSnapshot() const
    {
        if (!fs::is_directory(store))
            return storeBytes();
        return std::to_string(std::distance(fs::directory_iterator(store), fs::directory_iterator())) + " entries";
    }

    TempDir dir;
    std::string program = ORVANTIS_CLI;
    const fs::path store = dir.path() / "config" / "Orvantis" / "store.sqlite";
    const fs::path data = dir.path() / "data";
    const std::string cal = (data / "SMALL.CAL").string();
    const std::string dataFile = (data / "SET01A.ASC").string();
};

void makeForeignDatabase(const fs::path& file)
{
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE notes(text); INSERT INTO notes VALUES ('mine')", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

TEST_F(StoreFaults, EveryUseOfAStoreThatCannotBeUsedSaysWhichAndWhyAndLeavesIt)
{
    std::mt19937 random(12);
    std::string randomBytes(8192, '\0');
    for (char& byte : randomBytes)
        byte = static_cast<char>(random());
    const struct {
        std::function<void()> make;
        std::string why;
    } conditions[] = {
        {[&] { writeFile(store.string(), randomBytes); }, "is damaged (file is not a database)"},
        {[&] { makeForeignDatabase(store); }, "is not an Orvantis store (another program's SQLite database)"},
        {[&] { writeFile(store.string(), ""); }, "is an empty file (0 bytes), not a store"},
        {[&] { fs::create_directory(store); }, "is a folder, not a file"},
    };
    for (const auto& condition : conditions) {
        SCOPED_TRACE(condition.why);
        fs::remove(store);
        condition.make();
        const std::string before = storeSnapshot();
        const std::string why = "the store " + store.string() + " " + condition.why;
        for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
                 {"associations"}, {"associate", "12345", cal}, {"forget", "12345"}}) {
            const RunResult r = run(command);
            EXPECT_EQ(r.status, 2) << command[0];
            EXPECT_EQ(r.err, "orvantis-cli: " + why + "\n");
            EXPECT_EQ(r.out, "");
        }
        const RunResult conversion = run({dataFile});
        EXPECT_EQ(conversion.status, 2);
        EXPECT_EQ(errorsBeforeSummary(conversion.err),
                  dataFile + ": Cannot look up the calibration file of Tidelume #12345: " + why + "\n");
        EXPECT_FALSE(fs::exists(data / "SET01A.DAT"));
        EXPECT_EQ(storeSnapshot(), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(store.parent_path()), fs::directory_iterator()), 1);
    }
}

TEST_F(StoreFaults, StoreThatCanOnlyBeReadIsReadAndRefusesWrites)
{
    ASSERT_TRUE(storeCalFile("12345", cal));
    const std::string before = storeBytes();
    fs::permissions(data, fs::perms::all); // the conversion's output goes there
    const WriteProtection readOnly({store.parent_path(), store});

    RunResult r = run({"associations"}, true);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "12345 -> " + cal + "\n");
    r = run({dataFile}, true);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(data / "SET01A.DAT"));
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"associate", "12345", cal}, {"forget", "12345"}}) {
        r = run(command, true);
        EXPECT_EQ(r.status, 2) << command[0];
        EXPECT_EQ(r.err, "orvantis-cli: the store " + store.string() +
                             " is read-only (attempt to write a readonly database)\n");
    }
    EXPECT_EQ(storeBytes(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(store.parent_path()), fs::directory_iterator()), 1);
}

} // namespace
