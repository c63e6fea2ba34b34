#pragma once
// The backend behind TRegDef: a hierarchical store of keys holding typed
// values, addressed by key ids. TRegDef keeps the path rules and the typed
// reads; a backend only finds, creates and removes keys and moves raw values.
// On Windows the backend is the registry itself; elsewhere a per-user SQLite
// database.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "store/reg_def.h"
#include "store/store_fault.h"

// Value types, numbered as the Windows registry numbers them. <windows.h>
// defines the same names as macros of the same numbers: include it after this.
#ifdef REG_SZ
#error "include <windows.h> after store/key_store.h"
#endif
enum RegValueType : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
};

// A value as stored: its type and its raw bytes (text with its zero byte,
// numbers as 4 little-endian bytes).
struct RegValue {
    uint32_t type = REG_NONE;
    std::string data;
};

// The backend could not use the store; the fault says why. TRegDef turns it
// into its own results and keeps the fault for its callers.
class KeyStoreError : public std::runtime_error {
public:
    explicit KeyStoreError(StoreFault fault) : std::runtime_error(describeStoreFault(fault)), fault_(std::move(fault))
    {}
    const StoreFault& fault() const noexcept { return fault_; }

private:
    StoreFault fault_;
};

using KeyId = int64_t;
using KeyNames = std::vector<std::string>; // path components below a key

class KeyStore {
public:
    virtual ~KeyStore() = default;

    // The key standing for a root; valid without touching the store.
    virtual KeyId rootKey(RegRoot root) = 0;
    // The key `names` leads to from `base` (`base` itself for no names), or
    // nothing when it does not exist. With `create`, missing keys on the way
    // are made first.
    virtual std::optional<KeyId> openKey(KeyId base, const KeyNames& names, bool create) = 0;
    // Releases what openKey handed out.
    virtual void closeKey(KeyId key) noexcept = 0;
    // The immediate subkeys' names, in the store's enumeration order.
    virtual std::vector<std::string> subkeyNames(KeyId key) = 0;
    // Removes the key `names` leads to from `base` with everything below it;
    // false when there is no such key. A root is never removed.
    virtual bool removeKeyTree(KeyId base, const KeyNames& names) = 0;

    // The value, or nothing when the key has no value of that name.
    virtual std::optional<RegValue> readValue(KeyId key, const std::string& name) = 0;
    // Creates or replaces the value; one write is complete or not done at all.
    virtual void writeValue(KeyId key, const std::string& name, const RegValue& value) = 0;
    // False when the key has no value of that name.
    virtual bool removeValue(KeyId key, const std::string& name) = 0;

    // Makes everything up to commitUpdate one change: what it reads cannot
    // be changed by another copy of the program before it writes, and the
    // others see all of it or nothing. Waits for another copy's update.
    virtual void beginUpdate() = 0;
    virtual void commitUpdate() = 0;
    // Drops an update begun and not committed.
    virtual void rollbackUpdate() noexcept = 0;
};

// The store of the user running the program.
std::shared_ptr<KeyStore> openUserKeyStore();
// How long the user's store waits for another copy's write before it reports
// the store busy. The default always waits out a real write; tests shorten it.
// Returns the wait it replaces.
std::chrono::milliseconds setUserStoreBusyTimeout(std::chrono::milliseconds wait);
