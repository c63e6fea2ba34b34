#include "store/posix/sqlite_store_schema.h"

#include <string>

#include "store/key_store.h"
#include "store/posix/sqlite_db.h"

namespace {

// Marks the file as ours in the SQLite header ("OrvS").
constexpr int64_t StoreApplicationId = 0x4F727653;
constexpr int64_t StoreLayoutVersion = 1;

// Key ids are never reused (AUTOINCREMENT): another copy of the program may
// still hold the id of a key removed meanwhile, and must not end up writing
// into an unrelated key made later.
constexpr const char* CreateTables = R"sql(
CREATE TABLE keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL COLLATE NOCASE,
    UNIQUE(parent, name));
CREATE TABLE key_values(
    key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY(key, name)) WITHOUT ROWID;
)sql";

std::string storeSetupSql()
{
    return std::string(CreateTables) + "INSERT INTO keys(id, parent, name) VALUES (" +
           std::to_string(CurrentUserKeyId) + ", NULL, 'HKEY_CURRENT_USER'), (" + std::to_string(ClassesRootKeyId) +
           ", NULL, 'HKEY_CLASSES_ROOT');" + "PRAGMA application_id = " + std::to_string(StoreApplicationId) + ";" +
           "PRAGMA user_version = " + std::to_string(StoreLayoutVersion) + ";";
}

int64_t queryNumber(sqlite3* db, const char* sql)
{
    SqliteStatement stmt(db, sql);
    return stmt.step() ? stmt.columnInt(0) : 0;
}

} // namespace

void createStoreSchema(sqlite3* db)
{
    // WAL lets readers go on while another copy of the program writes; the
    // mode is kept in the file, so it is set once, when the store is made.
    execute(db, "PRAGMA journal_mode = WAL");
    SqliteWriteTransaction transaction(db);
    execute(db, storeSetupSql().c_str());
    transaction.commit();
}

void checkIsStore(sqlite3* db)
{
    const char* file = sqlite3_db_filename(db, "main");
    if (queryNumber(db, "PRAGMA application_id") != StoreApplicationId) {
        throw KeyStoreError({StoreFaultKind::NotOurs, file, "another program's SQLite database"});
    }
    const int64_t layout = queryNumber(db, "PRAGMA user_version");
    if (layout != StoreLayoutVersion) {
        throw KeyStoreError(
            {StoreFaultKind::NotOurs, file,
             "layout " + std::to_string(layout) + ", this version reads layout " + std::to_string(StoreLayoutVersion)});
    }
}
