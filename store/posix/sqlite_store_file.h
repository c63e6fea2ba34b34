#pragma once
// Finding, making and opening the store's database file. A new store appears
// whole: it is made under a temporary name and linked into place, so no copy
// of the program ever meets a half-made one. So an empty file, or anything
// else that is not a store, is someone else's: reported, never changed.

#include <filesystem>

#include "store/posix/sqlite_db.h"

// A connection of its own to the store `file`, made first (with its folder)
// when there is none. A store this user can only read is opened for reading.
// Raises KeyStoreError with the fault when the store cannot be used.
SqliteDb openStoreFile(const std::filesystem::path& file, int busyTimeoutMs);
