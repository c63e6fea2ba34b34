#pragma once
// The layout of the store's SQLite database: keys (with the two roots as
// parentless rows) and their typed values.

#include <sqlite3.h>

// Fixed ids of the two root keys.
inline constexpr long long CurrentUserKeyId = 1;
inline constexpr long long ClassesRootKeyId = 2;

// Makes an empty database a store, and checks that any other database is one.
// A file that is not a store is never changed: KeyStoreError instead.
void prepareStoreSchema(sqlite3* db);
