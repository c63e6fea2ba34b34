#include "store/posix/sqlite_db.h"

#include <cstring>

#include "store/key_store.h"

namespace {

StoreFaultKind faultKind(int errorCode)
{
    switch (errorCode & 0xFF) { // the primary code of an extended one
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return StoreFaultKind::Busy;
    case SQLITE_READONLY: return StoreFaultKind::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return StoreFaultKind::Damaged;
    case SQLITE_CANTOPEN: return StoreFaultKind::CannotOpen;
    default: return StoreFaultKind::Failed;
    }
}

[[noreturn]] void fail(sqlite3* db)
{
    throw KeyStoreError(sqliteFault(db));
}

} // namespace

StoreFault sqliteFault(sqlite3* db)
{
    if (!db) {
        return {StoreFaultKind::Failed, {}, "out of memory"};
    }
    const char* file = sqlite3_db_filename(db, "main");
    StoreFault fault{faultKind(sqlite3_extended_errcode(db)), file ? file : "", sqlite3_errmsg(db)};
    if (fault.kind == StoreFaultKind::CannotOpen && sqlite3_system_errno(db) != 0) {
        fault.detail += std::string(": ") + std::strerror(sqlite3_system_errno(db)); // why the system said no
    }
    return fault;
}

SqliteDb openSqliteDb(const std::string& file, int flags, int busyTimeoutMs)
{
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
    SqliteDb db(raw); // owned even when opening failed
    if (rc != SQLITE_OK) {
        StoreFault fault = sqliteFault(db.get());
        fault.path = file;
        throw KeyStoreError(fault);
    }
    sqlite3_busy_timeout(db.get(), busyTimeoutMs);
    return db;
}

void execute(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(db);
    }
}

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) : db_(db)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    stmt_.reset(raw);
    if (rc != SQLITE_OK) {
        fail(db);
    }
}

void SqliteStatement::check(int rc) const
{
    if (rc != SQLITE_OK) {
        fail(db_);
    }
}

SqliteStatement& SqliteStatement::bind(int index, int64_t number)
{
    check(sqlite3_bind_int64(stmt_.get(), index, number));
    return *this;
}

SqliteStatement& SqliteStatement::bindText(int index, const std::string& text)
{
    check(sqlite3_bind_text64(stmt_.get(), index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob(int index, const std::string& bytes)
{
    // data() is never null, so an empty text binds an empty blob, not NULL.
    check(sqlite3_bind_blob64(stmt_.get(), index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
    return *this;
}

bool SqliteStatement::step()
{
    int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc != SQLITE_DONE) {
        fail(db_);
    }
    return false;
}

int64_t SqliteStatement::columnInt(int column) const
{
    return sqlite3_column_int64(stmt_.get(), column);
}

std::string SqliteStatement::columnText(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_.get(), column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_.get(), column))) : std::string();
}

std::string SqliteStatement::columnBlob(int column) const
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_.get(), column));
    return bytes ? std::string(bytes, static_cast<size_t>(sqlite3_column_bytes(stmt_.get(), column))) : std::string();
}

SqliteWriteTransaction::SqliteWriteTransaction(sqlite3* db) : db_(db), nested_(sqlite3_get_autocommit(db) == 0)
{
    // SQLite would begin the transaction and refuse only its first write.
    if (sqlite3_db_readonly(db, "main") == 1) {
        throw KeyStoreError(
            {StoreFaultKind::ReadOnly, sqlite3_db_filename(db, "main"), sqlite3_errstr(SQLITE_READONLY)});
    }
    execute(db, nested_ ? "SAVEPOINT nested_write" : "BEGIN IMMEDIATE");
}

SqliteWriteTransaction::~SqliteWriteTransaction()
{
    if (open_) {
        const char* undo = nested_ ? "ROLLBACK TO nested_write; RELEASE nested_write" : "ROLLBACK";
        sqlite3_exec(db_, undo, nullptr, nullptr, nullptr);
    }
}

void SqliteWriteTransaction::commit()
{
    execute(db_, nested_ ? "RELEASE nested_write" : "COMMIT");
    open_ = false;
}
