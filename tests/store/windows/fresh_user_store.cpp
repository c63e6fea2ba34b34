#include "fresh_user_store.h"

#include <windows.h>

namespace {

HKEY handle(void* key)
{
    return static_cast<HKEY>(key);
}

} // namespace

void removeProgramKeys()
{
    for (const wchar_t* key : {L"SOFTWARE\\Sorvenhal", L"Software\\Classes\\.ASC", L"Software\\Classes\\.BIN",
                               L"Software\\Classes\\Tidelume.ASC", L"Software\\Classes\\Tidelume.BIN"}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, key);
    }
}

FreshUserStore::FreshUserStore() : scratchPath_(L"Software\\Sorvenhal Tests\\" + std::to_wstring(GetCurrentProcessId()))
{
    RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath_.c_str()); // left by an earlier process of this id
    HKEY scratch = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, scratchPath_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &scratch, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("no scratch key for the test's store");
    }
    scratchKey_ = scratch;
    if (RegOverridePredefKey(HKEY_CURRENT_USER, scratch) != ERROR_SUCCESS) {
        RegCloseKey(scratch);
        throw std::runtime_error("HKEY_CURRENT_USER cannot be redirected");
    }
}

FreshUserStore::~FreshUserStore()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(handle(scratchKey_));
    RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath_.c_str());
}
