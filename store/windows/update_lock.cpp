#include "store/windows/update_lock.h"

#include "store/key_store.h"
#include "store/windows/registry_fault.h"

#include <windows.h>

namespace {

const wchar_t* const UpdateMutexName = L"Local\\Sorvenhal.Orvantis.StoreUpdate";

} // namespace

UpdateLock::UpdateLock(std::chrono::milliseconds wait) : mutex_(CreateMutexW(nullptr, FALSE, UpdateMutexName))
{
    if (!mutex_) {
        throwRegistryFault(static_cast<long>(GetLastError()), RegistryAccess::Write);
    }
    // An abandoned mutex is ours as well: the copy that held it has ended.
    const DWORD result = WaitForSingleObject(mutex_, static_cast<DWORD>(wait.count()));
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
        CloseHandle(mutex_);
        throw KeyStoreError(StoreFault{StoreFaultKind::Busy, RegistryStoreLocation, {}});
    }
}

UpdateLock::~UpdateLock()
{
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}
