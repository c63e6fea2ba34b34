#include "fresh_user_store.h"

#include <windows.h>

void removeProgramKeys()
{
    for (const wchar_t* key : {L"SOFTWARE\\Sorvenhal", L"Software\\Classes\\.ASC", L"Software\\Classes\\.BIN",
                               L"Software\\Classes\\Tidelume.ASC", L"Software\\Classes\\Tidelume.BIN"}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, key);
    }
}

FreshUserStore::FreshUserStore()
{
    removeProgramKeys();
}

FreshUserStore::~FreshUserStore()
{
    removeProgramKeys();
}
