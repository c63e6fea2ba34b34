#pragma once
// What a failed registry call means for the store's users.

#include "store/store_fault.h"

// Where the store's keys live, as faults name it.
inline const char* const RegistryStoreLocation = "HKEY_CURRENT_USER\\SOFTWARE\\Sorvenhal\\Orvantis";

enum class RegistryAccess { Read, Write };

// The fault for a registry status other than success: access denied makes a
// read CannotOpen and a write ReadOnly; anything else is Failed. The detail
// is the system's own message for the status.
StoreFault registryFault(long status, RegistryAccess access);
// Throws KeyStoreError with registryFault(status, access).
[[noreturn]] void throwRegistryFault(long status, RegistryAccess access);
