#include "store/posix/sqlite_key_store.h"

#include <utility>

#include "store/posix/sqlite_store_file.h"
#include "store/posix/sqlite_store_schema.h"
#include "store/posix/store_location.h"

namespace {

// Long enough that another copy's write is always waited for rather than
// reported as "database is locked".
std::chrono::milliseconds userStoreBusyTimeout{10000};

} // namespace

std::shared_ptr<KeyStore> openUserKeyStore()
{
    return std::make_shared<SqliteKeyStore>(userStorePath(), static_cast<int>(userStoreBusyTimeout.count()));
}

std::chrono::milliseconds setUserStoreBusyTimeout(std::chrono::milliseconds wait)
{
    return std::exchange(userStoreBusyTimeout, wait);
}

SqliteKeyStore::SqliteKeyStore(std::filesystem::path file, int busyTimeoutMs)
    : file_(std::move(file)), busyTimeoutMs_(busyTimeoutMs)
{}

sqlite3* SqliteKeyStore::db()
{
    if (!db_) {
        SqliteDb db = openStoreFile(file_, busyTimeoutMs_);
        execute(db.get(), "PRAGMA foreign_keys = ON");
        // In WAL mode a commit survives a crash of the program without waiting
        // for the disk, like the registry's lazy writing.
        execute(db.get(), "PRAGMA synchronous = NORMAL");
        db_ = std::move(db);
    }
    return db_.get();
}

KeyId SqliteKeyStore::rootKey(RegRoot root)
{
    return root == RegRoot::ClassesRoot ? ClassesRootKeyId : CurrentUserKeyId;
}

std::optional<KeyId> SqliteKeyStore::findSubkey(KeyId parent, const std::string& name)
{
    SqliteStatement find(db(), "SELECT id FROM keys WHERE parent = ? AND name = ?");
    find.bind(1, parent).bindText(2, name);
    return find.step() ? std::optional<KeyId>(find.columnInt(0)) : std::nullopt;
}

std::optional<KeyId> SqliteKeyStore::findKey(KeyId base, const KeyNames& names)
{
    if (names.empty()) { // the base itself, if nobody removed it
        SqliteStatement find(db(), "SELECT id FROM keys WHERE id = ?");
        find.bind(1, base);
        return find.step() ? std::optional<KeyId>(base) : std::nullopt;
    }
    std::optional<KeyId> key = base;
    for (const std::string& name : names) {
        key = findSubkey(*key, name);
        if (!key) {
            break;
        }
    }
    return key;
}

KeyId SqliteKeyStore::addSubkey(KeyId parent, const std::string& name)
{
    SqliteStatement add(db(), "INSERT INTO keys(parent, name) VALUES (?, ?)");
    add.bind(1, parent).bindText(2, name).step();
    return sqlite3_last_insert_rowid(db());
}

std::optional<KeyId> SqliteKeyStore::openKey(KeyId base, const KeyNames& names, bool create)
{
    std::optional<KeyId> key = findKey(base, names);
    if (key || !create || names.empty()) {
        return key;
    }
    SqliteWriteTransaction transaction(db());
    KeyId parent = base;
    for (const std::string& name : names) {
        std::optional<KeyId> existing = findSubkey(parent, name);
        parent = existing ? *existing : addSubkey(parent, name); // fails if base is gone
    }
    transaction.commit();
    return parent;
}

void SqliteKeyStore::closeKey(KeyId) noexcept {} // ids hold no resources

std::vector<std::string> SqliteKeyStore::subkeyNames(KeyId key)
{
    SqliteStatement list(db(), "SELECT name FROM keys WHERE parent = ? ORDER BY name");
    list.bind(1, key);
    std::vector<std::string> names;
    while (list.step()) {
        names.push_back(list.columnText(0));
    }
    return names;
}

bool SqliteKeyStore::removeKeyTree(KeyId base, const KeyNames& names)
{
    SqliteWriteTransaction transaction(db());
    std::optional<KeyId> key = findKey(base, names);
    if (!key) {
        return false;
    }
    // Subkeys and values go with the key (ON DELETE CASCADE); roots stay.
    SqliteStatement remove(db(), "DELETE FROM keys WHERE id = ? AND parent IS NOT NULL");
    remove.bind(1, *key).step();
    bool removed = sqlite3_changes(db()) > 0;
    transaction.commit();
    return removed;
}

std::optional<RegValue> SqliteKeyStore::readValue(KeyId key, const std::string& name)
{
    SqliteStatement read(db(), "SELECT type, data FROM key_values WHERE key = ? AND name = ?");
    read.bind(1, key).bindText(2, name);
    if (!read.step()) {
        return std::nullopt;
    }
    return RegValue{static_cast<uint32_t>(read.columnInt(0)), read.columnBlob(1)};
}

void SqliteKeyStore::writeValue(KeyId key, const std::string& name, const RegValue& value)
{
    // Replacing keeps the name's original letter case.
    SqliteStatement write(db(), "INSERT INTO key_values(key, name, type, data) VALUES (?, ?, ?, ?) "
                                "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    write.bind(1, key).bindText(2, name).bind(3, value.type).bindBlob(4, value.data).step();
}

bool SqliteKeyStore::removeValue(KeyId key, const std::string& name)
{
    SqliteStatement remove(db(), "DELETE FROM key_values WHERE key = ? AND name = ?");
    remove.bind(1, key).bindText(2, name).step();
    return sqlite3_changes(db()) > 0;
}

void SqliteKeyStore::beginUpdate()
{
    update_.emplace(db());
}

void SqliteKeyStore::commitUpdate()
{
    update_->commit();
    update_.reset();
}

void SqliteKeyStore::rollbackUpdate() noexcept
{
    update_.reset();
}
