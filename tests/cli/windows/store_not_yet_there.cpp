// Until the registry store is in the tree, the Windows converter under test
// links against this one: every use of the store fails with a store fault,
// so conversions with --cal work and association commands fail cleanly.

#include "store/key_store.h"

namespace {

class StoreNotYetThere : public KeyStore {
public:
    KeyId rootKey(RegRoot) override { return 0; }
    std::optional<KeyId> openKey(KeyId, const KeyNames&, bool) override { fail(); }
    void closeKey(KeyId) noexcept override {}
    std::vector<std::string> subkeyNames(KeyId) override { fail(); }
    bool removeKeyTree(KeyId, const KeyNames&) override { fail(); }
    std::optional<RegValue> readValue(KeyId, const std::string&) override { fail(); }
    void writeValue(KeyId, const std::string&, const RegValue&) override { fail(); }
    bool removeValue(KeyId, const std::string&) override { fail(); }
    void beginUpdate() override { fail(); }
    void commitUpdate() override { fail(); }
    void rollbackUpdate() noexcept override {}

private:
    [[noreturn]] static void fail()
    {
        throw KeyStoreError(StoreFault{StoreFaultKind::Failed, "HKEY_CURRENT_USER\\SOFTWARE\\Sorvenhal\\Orvantis",
                                       "not built for Windows yet"});
    }
};

} // namespace

std::shared_ptr<KeyStore> openUserKeyStore()
{
    return std::make_shared<StoreNotYetThere>();
}

std::chrono::milliseconds setUserStoreBusyTimeout(std::chrono::milliseconds wait)
{
    return wait;
}
