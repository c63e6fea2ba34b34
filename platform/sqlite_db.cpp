#include "platform/sqlite_db.h"

#include <system_error>

#include "platform/key_store.h"

namespace {

[[noreturn]] void fail(sqlite3* db, const std::string& what)
{
    throw KeyStoreError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

} // namespace

SqliteDb openSqliteDb(const std::filesystem::path& file, int busyTimeoutMs)
{
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) {
        throw KeyStoreError(file.parent_path().string() + ": " + ec.message());
    }
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    SqliteDb db(raw); // owned even when opening failed
    if (rc != SQLITE_OK) {
        fail(db.get(), file.string());
    }
    sqlite3_busy_timeout(db.get(), busyTimeoutMs);
    return db;
}

void execute(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(db, sql);
    }
}

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) : db_(db)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    stmt_.reset(raw);
    if (rc != SQLITE_OK) {
        fail(db, sql);
    }
}

void SqliteStatement::check(int rc) const
{
    if (rc != SQLITE_OK) {
        fail(db_, sqlite3_sql(stmt_.get()));
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
        fail(db_, sqlite3_sql(stmt_.get()));
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

SqliteWriteTransaction::SqliteWriteTransaction(sqlite3* db) : db_(db)
{
    execute(db, "BEGIN IMMEDIATE");
}

SqliteWriteTransaction::~SqliteWriteTransaction()
{
    if (open_) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void SqliteWriteTransaction::commit()
{
    execute(db_, "COMMIT");
    open_ = false;
}
