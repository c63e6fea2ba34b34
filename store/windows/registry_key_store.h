#pragma once
// The store in the Windows registry of the user: the per-user root is
// HKEY_CURRENT_USER, the classes root the user's own classes
// (HKEY_CURRENT_USER\Software\Classes), which need no administrator rights.
// Key ids are registry handles. The registry keeps each single write whole;
// an update is one change only towards other copies that update too (they
// wait for it), not towards their plain reads.

#include <chrono>
#include <optional>

#include "store/key_store.h"
#include "store/windows/update_lock.h"

class RegistryKeyStore final : public KeyStore {
public:
    explicit RegistryKeyStore(std::chrono::milliseconds updateWait);
    ~RegistryKeyStore() override;

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
    bool isRoot(KeyId key) const;

    std::chrono::milliseconds updateWait_;
    KeyId classesRoot_ = 0; // opened with the store, closed with it
    std::optional<UpdateLock> update_;
};
