#pragma once
// Hierarchical per-user key/value store with registry semantics: keys named
// by "\"-separated paths below one of two roots, holding typed values.
// Key and value names compare without regard to ASCII letter case and keep
// the case they were created with.

#include <cstdint>
#include <memory>
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

class TRegDef {
public:
    TRegDef();
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
    std::shared_ptr<KeyStore> store_;
    RegRoot root_ = HKEY_CURRENT_USER;
    int64_t currentKey_ = -1; // backend id of the open key, -1 when none
    std::string currentPath_;
};
