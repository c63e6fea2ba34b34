#pragma once
// Hierarchical per-user key/value store with registry semantics: keys named
// by "\"-separated paths below one of two roots, holding typed values.
// Key and value names compare without regard to ASCII letter case and keep
// the case they were created with.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/store_fault.h"

// <windows.h> defines the roots' names as macros: a file that needs both
// includes it after this header and names the roots RegRoot::CurrentUser and
// RegRoot::ClassesRoot.
#ifdef HKEY_CURRENT_USER
#error "include <windows.h> after store/reg_def.h"
#endif

enum class RegRoot { CurrentUser, ClassesRoot };
inline constexpr RegRoot HKEY_CURRENT_USER = RegRoot::CurrentUser;
inline constexpr RegRoot HKEY_CLASSES_ROOT = RegRoot::ClassesRoot;

// A failed typed read or a failed write; the message names the value. When
// the store itself could not be used, the cause says why.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string& message, const StoreFault* cause = nullptr);
    const StoreFault* cause() const noexcept { return cause_.get(); }

private:
    std::shared_ptr<const StoreFault> cause_; // shared: copying never throws
};

class KeyStore; // the backend behind TRegDef
struct RegValue;

class TRegDef {
public:
    TRegDef(); // on the user's store
    explicit TRegDef(std::shared_ptr<KeyStore> store);
    ~TRegDef();
    TRegDef(const TRegDef&) = delete;
    TRegDef& operator=(const TRegDef&) = delete;

    void SelectRoot(RegRoot root);
    bool OpenPath(const std::string& path, bool create);
    void CloseCurrent();
    const std::string& CurrentPath() const { return currentPath_; }

    std::string ReadText(const std::string& name);
    std::string ReadTextOr(const std::string& name, const std::string& defaultText);
    int32_t ReadNumberOr(const std::string& name, int32_t defaultNumber);
    bool ReadFlagOr(const std::string& name, bool defaultFlag);

    void WriteText(const std::string& name, const std::string& text);
    void WriteNumber(const std::string& name, int32_t n);
    void WriteFlag(const std::string& name, bool b);

    void ListSubkeys(std::vector<std::string>& list);
    bool RemoveValue(const std::string& name);
    bool RemoveKey(const std::string& path);

    // Makes what this object does up to CommitUpdate one change of the
    // store: what it reads cannot change before it writes, and other copies
    // of the program see all of it or nothing. Destruction drops an update
    // not committed. False when the store cannot take it (see Fault).
    bool BeginUpdate();
    bool CommitUpdate();

    // Why the store could not be used, from the first time this object met
    // that; null while every access found it usable. A false, empty or
    // default result without a fault means "not there".
    const StoreFault* Fault() const { return fault_ ? &*fault_ : nullptr; }

private:
    struct Resolved {
        int64_t base;                   // backend key the names start from
        std::vector<std::string> names; // empty: the base itself
    };
    std::optional<Resolved> resolve(const std::string& path);
    std::optional<RegValue> fetch(const std::string& name);
    void write(const std::string& name, uint32_t type, std::string data);
    void keepFault(const StoreFault& fault);
    // Runs one call of the backend; a store that cannot be used is kept as
    // the fault, and the call gives `failed`.
    template <typename Call, typename Result>
    Result attempt(Call call, Result failed);

    std::shared_ptr<KeyStore> store_;
    RegRoot root_ = HKEY_CURRENT_USER;
    std::optional<int64_t> currentKey_; // backend id of the open key
    std::string currentPath_;
    bool updating_ = false;
    std::optional<StoreFault> fault_;
};
