#pragma once
// Small RAII layer over the SQLite C interface: an owned connection, prepared
// statements and transactions that roll back unless committed. Every failure
// raises KeyStoreError with the fault SQLite's error stands for.

#include <cstdint>
#include <memory>
#include <string>

#include <sqlite3.h>

#include "store/store_fault.h"

struct SqliteCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteCloser>;

// Opens the database `file` (a URI when `flags` has SQLITE_OPEN_URI). Waits
// up to `busyTimeoutMs` for other connections' locks before reporting them.
SqliteDb openSqliteDb(const std::string& file, int flags, int busyTimeoutMs);

// The fault that the connection's last error stands for.
StoreFault sqliteFault(sqlite3* db);

// Runs SQL that returns no rows.
void execute(sqlite3* db, const char* sql);

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const char* sql);

    SqliteStatement& bind(int index, int64_t number);
    SqliteStatement& bindText(int index, const std::string& text);
    SqliteStatement& bindBlob(int index, const std::string& bytes);

    // True when a row is ready, false when the statement has finished.
    bool step();
    int64_t columnInt(int column) const;
    std::string columnText(int column) const;
    std::string columnBlob(int column) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
    };
    void check(int rc) const;

    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

// A write transaction, rolled back when it goes out of scope uncommitted. It
// takes the write lock at once (BEGIN IMMEDIATE), so what it reads cannot be
// changed by another connection before it writes. Inside another one it is a
// savepoint of that. A connection that can only read refuses it at once.
class SqliteWriteTransaction {
public:
    explicit SqliteWriteTransaction(sqlite3* db);
    ~SqliteWriteTransaction();
    SqliteWriteTransaction(const SqliteWriteTransaction&) = delete;
    SqliteWriteTransaction& operator=(const SqliteWriteTransaction&) = delete;

    void commit();

private:
    sqlite3* db_;
    bool nested_;
    bool open_ = true;
};
