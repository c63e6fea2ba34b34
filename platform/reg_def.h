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

enum RegRoot { HKEY_CURRENT_USER, HKEY_CLASSES_ROOT };

// A failed typed read or a failed write; the message names the value.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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

private:
    struct Resolved {
        int64_t base;                   // backend key the names start from
        std::vector<std::string> names; // empty: the base itself
    };
    std::optional<Resolved> resolve(const std::string& path);
    std::optional<RegValue> fetch(const std::string& name);
    void write(const std::string& name, uint32_t type, std::string data);

    std::shared_ptr<KeyStore> store_;
    RegRoot root_ = HKEY_CURRENT_USER;
    std::optional<int64_t> currentKey_; // backend id of the open key
    std::string currentPath_;
};
