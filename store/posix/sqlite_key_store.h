#pragma once
// The store kept in one SQLite database file, shared by every copy of the
// program the user runs. Each single operation, and each update, is one
// SQLite transaction, so copies running at the same time never see or leave
// half-done work.

#include <filesystem>
#include <optional>

#include "store/key_store.h"
#include "store/posix/sqlite_db.h"

class SqliteKeyStore final : public KeyStore {
public:
    // The file (and its folder) is made on first use, not here. Another
    // copy's write is waited for up to `busyTimeoutMs`.
    SqliteKeyStore(std::filesystem::path file, int busyTimeoutMs);

    KeyId rootKey(RegRoot root) override;
    std::optional<KeyId> openKey(KeyId base, const KeyNames& names, bool create) override;
    void closeKey(KeyId key) noexcept override;
    std::vector<std::string> subkeyNames(KeyId key) override;
    bool removeKeyTree(KeyId base, const KeyNames& names) override;

    std::optional<RegValue> readValue(KeyId key, const std::string& name) override;
    void writeValue(KeyId key, const std::string& name, const RegValue& value) override;
    bool removeValue(KeyId key, const std::string& name) override;

    void beginUpdate() override;
    void commitUpdate() override;
    void rollbackUpdate() noexcept override;

private:
    sqlite3* db();
    std::optional<KeyId> findKey(KeyId base, const KeyNames& names);
    std::optional<KeyId> findSubkey(KeyId parent, const std::string& name);
    KeyId addSubkey(KeyId parent, const std::string& name);

    std::filesystem::path file_;
    int busyTimeoutMs_;
    SqliteDb db_;
    std::optional<SqliteWriteTransaction> update_; // declared after db_: ends before it
};
