// A store that cannot be used: every access says why instead of taking it
// for an absent key, the program goes on with defaults, and the user's file
// is never changed.

#include <fstream>
#include <iterator>

#include <sqlite3.h>

#include "store/associations.h"
#include "store/reg_def.h"
#include "temp_config_home.h"
#include "unprivileged_child.h"

namespace {

namespace fs = std::filesystem;

const std::string Settings = "\\SOFTWARE\\Sorvenhal\\Orvantis\\Settings";

std::string fileBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

void runSql(const fs::path& file, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// The kind of store fault an association lookup raises, or Failed when it
// raises none.
StoreFaultKind lookupFault()
{
    try {
        lookupCalFile("0123");
    } catch (const StoreError& e) {
        return e.cause() ? e.cause()->kind : StoreFaultKind::Failed;
    }
    return StoreFaultKind::Failed;
}

class StoreDamage : public TempConfigHome {
protected:
    // Everything a handler would do with an unusable store: no key opens and
    // the fault says why, reads give defaults, a write raises, and no
    // association function takes the store for one without associations.
    static void expectUnusableStore(StoreFaultKind kind, const fs::path& path, const std::string& detail = "")
    {
        {
            TRegDef reg;
            reg.SelectRoot(HKEY_CURRENT_USER);
            EXPECT_FALSE(reg.OpenPath(Settings, true));
            ASSERT_NE(reg.Fault(), nullptr);
            EXPECT_EQ(reg.Fault()->kind, kind);
            EXPECT_EQ(reg.Fault()->path, path.string());
            EXPECT_NE(reg.Fault()->detail.find(detail), std::string::npos) << reg.Fault()->detail;
            EXPECT_EQ(reg.ReadNumberOr("CCATop", 354), 354);
            EXPECT_FALSE(reg.RemoveKey(Settings));
            EXPECT_THROW(reg.WriteText("LastDir", "x"), StoreError);
        }
        for (auto access : {+[] { lookupCalFile("0123"); }, +[] { storeCalFile("0123", "/a"); },
                            +[] { forgetCalFile("0123"); }, +[] { listCalFiles(); }}) {
            try {
                access();
                ADD_FAILURE() << "an unusable store was taken for one without associations";
            } catch (const StoreError& e) {
                EXPECT_TRUE(e.cause() && e.cause()->kind == kind) << e.what();
            }
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
    expectUnusableStore(StoreFaultKind::Damaged, storeFile(), "file is not a database");
    expectUnusableStore(StoreFaultKind::Damaged, storeFile()); // no "repair" on a second try either
    EXPECT_EQ(fileBytes(storeFile()), garbage);
    EXPECT_EQ(std::distance(fs::directory_iterator(storeFile().parent_path()), fs::directory_iterator()), 1);
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
    expectUnusableStore(StoreFaultKind::Damaged, storeFile());
    EXPECT_EQ(fileBytes(storeFile()), bytes);
}

TEST_F(StoreDamage, OtherSqliteDatabasesAreLeftAsTheyAre)
{
    fs::create_directories(storeFile().parent_path());
    runSql(storeFile(), "CREATE TABLE notes(text); INSERT INTO notes VALUES ('mine')");
    std::string before = fileBytes(storeFile());
    expectUnusableStore(StoreFaultKind::NotOurs, storeFile(), "another program's");
    EXPECT_EQ(fileBytes(storeFile()), before);

    fs::remove(storeFile()); // a store of another layout is not read as this one
    storeCalFile("0123", "/a");
    runSql(storeFile(), "PRAGMA user_version = 2");
    before = fileBytes(storeFile());
    expectUnusableStore(StoreFaultKind::NotOurs, storeFile(), "layout 2");
    EXPECT_EQ(fileBytes(storeFile()), before);
}

TEST_F(StoreDamage, StoreFileThatCannotBeOpened)
{
    fs::create_directories(storeFile()); // a folder in its place
    expectUnusableStore(StoreFaultKind::NotAFile, storeFile());
    EXPECT_TRUE(fs::is_empty(storeFile()));
    fs::remove(storeFile());
    fs::create_symlink(storeFile(), storeFile()); // a link to itself
    expectUnusableStore(StoreFaultKind::CannotOpen, storeFile(), "symbolic links");
    EXPECT_TRUE(fs::is_symlink(storeFile()));
}

TEST_F(StoreDamage, FoldersThatCannotBeMadeOrWritten)
{
    fs::path plainFile = tempRoot() / "plain-file";
    writeBytes(plainFile, "x");
    setConfigHome(plainFile);
    expectUnusableStore(StoreFaultKind::FolderNotMade, plainFile / "Orvantis");
    EXPECT_EQ(fileBytes(plainFile), "x");

    setConfigHome(configHome());
    fs::create_directories(storeFile().parent_path());
    const WriteProtection readOnly({storeFile().parent_path()});
    EXPECT_EQ(runInChild([] { return static_cast<int>(lookupFault()); }), static_cast<int>(StoreFaultKind::NotMade));
    EXPECT_TRUE(fs::is_empty(storeFile().parent_path()));
}

TEST_F(StoreDamage, StoreIsUsableOnceTheFileIsRemoved)
{
    writeBytes(storeFile(), std::string(2000, 'x'));
    expectUnusableStore(StoreFaultKind::Damaged, storeFile());
    fs::remove(storeFile());
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenPath(Settings, true));
    reg.WriteNumber("CCATop", 10);
    EXPECT_EQ(reg.ReadNumberOr("CCATop", 354), 10);
    EXPECT_EQ(reg.Fault(), nullptr);
}

} // namespace
