// A store that cannot be used: keys do not open, the program goes on, and the
// user's file is never changed.

#include <fstream>
#include <iterator>

#include <sqlite3.h>

#include "platform/reg_def.h"
#include "temp_config_home.h"

namespace {

const std::string Settings = "\\SOFTWARE\\Sorvenhal\\Orvantis\\Settings";

std::string fileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

class StoreDamage : public TempConfigHome {
protected:
    // Everything a handler would do with an unusable store: no key opens,
    // reads give defaults, a write raises, nothing else escapes.
    static void expectUnusableStore()
    {
        TRegDef reg;
        reg.SelectRoot(HKEY_CURRENT_USER);
        EXPECT_FALSE(reg.OpenPath(Settings, true));
        EXPECT_FALSE(reg.OpenPath("\\", false));
        EXPECT_EQ(reg.ReadNumberOr("CCATop", 354), 354);
        EXPECT_FALSE(reg.RemoveKey(Settings));
        try {
            reg.WriteText("LastDir", "x");
            ADD_FAILURE() << "no StoreError";
        } catch (const StoreError& e) {
            EXPECT_STREQ(e.what(), "Failed to set data for 'LastDir'");
        }
    }
};

TEST_F(StoreDamage, FileThatIsNoDatabaseIsLeftAsItIs)
{
    std::string garbage;
    for (int i = 0; i < 300; ++i) {
        garbage += "not a database, line " + std::to_string(i) + "\n";
    }
    writeBytes(storeFile(), garbage);
    expectUnusableStore();
    expectUnusableStore(); // no "repair" on a second try either
    EXPECT_EQ(fileBytes(storeFile()), garbage);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(storeFile().parent_path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(StoreDamage, DamagedStoreIsLeftAsItIs)
{
    {
        TRegDef reg;
        reg.SelectRoot(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenPath(Settings, true));
        reg.WriteNumber("CCATop", 10);
    } // the last connection folds the log back into the file
    std::string bytes = fileBytes(storeFile());
    ASSERT_GT(bytes.size(), 4096u);
    for (size_t i = 100; i < 4096; ++i) { // the schema page below its header
        bytes[i] = static_cast<char>(0xA5);
    }
    writeBytes(storeFile(), bytes);
    expectUnusableStore();
    EXPECT_EQ(fileBytes(storeFile()), bytes);
}

TEST_F(StoreDamage, OtherSqliteDatabaseIsLeftAsItIs)
{
    std::filesystem::create_directories(storeFile().parent_path());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(storeFile().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "CREATE TABLE notes(text); INSERT INTO notes VALUES ('mine')", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    std::string before = fileBytes(storeFile());
    expectUnusableStore();
    EXPECT_EQ(fileBytes(storeFile()), before);
}

TEST_F(StoreDamage, StoreFileThatCannotBeOpened)
{
    std::filesystem::create_directories(storeFile()); // a folder in its place
    expectUnusableStore();
    EXPECT_TRUE(std::filesystem::is_directory(storeFile()));
    std::filesystem::remove(storeFile());
    std::filesystem::create_symlink(storeFile(), storeFile()); // a link to itself
    expectUnusableStore();
    EXPECT_TRUE(std::filesystem::is_symlink(storeFile()));
}

TEST_F(StoreDamage, ConfigFolderThatCannotBeMade)
{
    std::filesystem::path plainFile = tempRoot() / "plain-file";
    writeBytes(plainFile, "x");
    setConfigHome(plainFile);
    expectUnusableStore();
    EXPECT_EQ(fileBytes(plainFile), "x");
}

TEST_F(StoreDamage, StoreIsUsableOnceTheFileIsRemoved)
{
    writeBytes(storeFile(), std::string(2000, 'x'));
    expectUnusableStore();
    std::filesystem::remove(storeFile());
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenPath(Settings, true));
    reg.WriteNumber("CCATop", 10);
    EXPECT_EQ(reg.ReadNumberOr("CCATop", 354), 10);
}

} // namespace
