#include "store/windows/registry_fault.h"

#include "store/key_store.h"
#include "store/windows/wide_text.h"

#include <windows.h>

namespace {

std::string systemMessage(long status)
{
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  static_cast<DWORD>(status), 0, text, 512, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' ')) {
        --length;
    }
    if (length == 0) {
        return "error " + std::to_string(status);
    }
    return narrow(std::wstring(text, length));
}

StoreFaultKind faultKind(long status, RegistryAccess access)
{
    if (status == ERROR_ACCESS_DENIED) {
        return access == RegistryAccess::Write ? StoreFaultKind::ReadOnly : StoreFaultKind::CannotOpen;
    }
    return StoreFaultKind::Failed;
}

} // namespace

StoreFault registryFault(long status, RegistryAccess access)
{
    return StoreFault{faultKind(status, access), RegistryStoreLocation, systemMessage(status)};
}

void throwRegistryFault(long status, RegistryAccess access)
{
    throw KeyStoreError(registryFault(status, access));
}
