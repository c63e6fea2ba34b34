#pragma once
// The layout of the store's SQLite database: keys (with the two roots as
// parentless rows) and their typed values.

#include <sqlite3.h>

// Fixed ids of the two root keys.
inline constexpr long long CurrentUserKeyId = 1;
inline constexpr long long ClassesRootKeyId = 2;

// Makes a new, empty database a store.
void createStoreSchema(sqlite3* db);
// Raises KeyStoreError unless the database is a store of this layout: a file
// that is no database is Damaged, another database is NotOurs. Only reads.
void checkIsStore(sqlite3* db);
