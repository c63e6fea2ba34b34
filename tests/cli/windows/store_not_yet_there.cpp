// Until the registry store is in the tree, the Windows converter under test
// links against this one: every use of the store is the fault NoLocation,
// so conversions with --cal work and association lookups fail cleanly.

#include "store/key_store.h"

std::shared_ptr<KeyStore> openUserKeyStore()
{
    throw KeyStoreError(StoreFault{StoreFaultKind::NoLocation, "", "the Windows store is not built yet"});
}

std::chrono::milliseconds setUserStoreBusyTimeout(std::chrono::milliseconds wait)
{
    return wait;
}
