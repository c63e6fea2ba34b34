#include "store/windows/registry_key_store.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "store/windows/registry_fault.h"
#include "store/windows/wide_text.h"

#include "store/windows/registry_key.h"

namespace {

// Long enough that another copy's update is always waited for.
std::chrono::milliseconds userStoreBusyTimeout{10000};

const wchar_t* const UserClasses = L"Software\\Classes";

HKEY handleOf(KeyId key)
{
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(key));
}

KeyId idOf(HKEY key)
{
    return static_cast<KeyId>(reinterpret_cast<intptr_t>(key));
}

std::wstring joined(const KeyNames& names)
{
    std::string path;
    for (const std::string& name : names) {
        path += (path.empty() ? "" : "\\") + name;
    }
    return widen(path);
}

bool isAbsent(LSTATUS status)
{
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_KEY_DELETED;
}

// Opens for reading and writing, or for reading alone where the user may
// not write. An empty path opens a new handle to `base` itself.
LSTATUS openExisting(HKEY base, const std::wstring& path, RegistryKey& key)
{
    LSTATUS status = RegOpenKeyExW(base, path.c_str(), 0, KEY_READ | KEY_WRITE, key.out());
    if (status == ERROR_ACCESS_DENIED) {
        status = RegOpenKeyExW(base, path.c_str(), 0, KEY_READ, key.out());
    }
    return status;
}

// A text value's UTF-16 as UTF-8, with the zero byte the store's text ends in.
std::string textBytes(const std::vector<BYTE>& data)
{
    std::wstring wide(data.size() / sizeof(wchar_t), L'\0');
    std::copy(data.begin(), data.begin() + static_cast<ptrdiff_t>(wide.size() * sizeof(wchar_t)),
              reinterpret_cast<BYTE*>(wide.data()));
    std::string text = narrow(wide);
    if (text.empty() || text.back() != '\0') {
        text += '\0';
    }
    return text;
}

bool isText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

} // namespace

std::shared_ptr<KeyStore> openUserKeyStore()
{
    return std::make_shared<RegistryKeyStore>(userStoreBusyTimeout);
}

std::chrono::milliseconds setUserStoreBusyTimeout(std::chrono::milliseconds wait)
{
    return std::exchange(userStoreBusyTimeout, wait);
}

RegistryKeyStore::RegistryKeyStore(std::chrono::milliseconds updateWait) : updateWait_(updateWait)
{
    // Without the user's classes key the classes root is an invalid handle:
    // every use of it then reports the registry's fault.
    RegistryKey classes;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, UserClasses, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, classes.out(), nullptr) == ERROR_SUCCESS) {
        classesRoot_ = idOf(classes.release());
    }
}

RegistryKeyStore::~RegistryKeyStore()
{
    if (classesRoot_ != 0) {
        RegCloseKey(handleOf(classesRoot_));
    }
}

KeyId RegistryKeyStore::rootKey(RegRoot root)
{
    return root == RegRoot::ClassesRoot ? classesRoot_ : idOf(HKEY_CURRENT_USER);
}

bool RegistryKeyStore::isRoot(KeyId key) const
{
    return key == classesRoot_ || key == idOf(HKEY_CURRENT_USER);
}

std::optional<KeyId> RegistryKeyStore::openKey(KeyId base, const KeyNames& names, bool create)
{
    RegistryKey key;
    const std::wstring path = joined(names);
    LSTATUS status = openExisting(handleOf(base), path, key);
    if (isAbsent(status) && create && !names.empty()) {
        status = RegCreateKeyExW(handleOf(base), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, key.out(), nullptr);
        if (status != ERROR_SUCCESS) {
            throwRegistryFault(status, RegistryAccess::Write);
        }
    } else if (isAbsent(status)) {
        return std::nullopt;
    } else if (status != ERROR_SUCCESS) {
        throwRegistryFault(status, RegistryAccess::Read);
    }
    return idOf(key.release());
}

void RegistryKeyStore::closeKey(KeyId key) noexcept
{
    if (!isRoot(key)) {
        RegCloseKey(handleOf(key));
    }
}

std::vector<std::string> RegistryKeyStore::subkeyNames(KeyId key)
{
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256]; // the longest key name the registry allows, and its zero
        DWORD length = 256;
        const LSTATUS status = RegEnumKeyExW(handleOf(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS || status == ERROR_KEY_DELETED) {
            return names;
        }
        if (status != ERROR_SUCCESS) {
            throwRegistryFault(status, RegistryAccess::Read);
        }
        names.push_back(narrow(std::wstring(name, length)));
    }
}

bool RegistryKeyStore::removeKeyTree(KeyId base, const KeyNames& names)
{
    if (names.empty()) {
        return false;
    }
    const LSTATUS status = RegDeleteTreeW(handleOf(base), joined(names).c_str());
    if (isAbsent(status)) {
        return false;
    }
    if (status != ERROR_SUCCESS) {
        throwRegistryFault(status, RegistryAccess::Write);
    }
    return true;
}

std::optional<RegValue> RegistryKeyStore::readValue(KeyId key, const std::string& name)
{
    const std::wstring valueName = widen(name);
    std::vector<BYTE> data;
    DWORD type = REG_NONE;
    LSTATUS status = ERROR_MORE_DATA;
    while (status == ERROR_MORE_DATA) { // the value may grow between the calls
        DWORD size = 0;
        status = RegQueryValueExW(handleOf(key), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS) {
            break;
        }
        data.resize(size);
        status = RegQueryValueExW(handleOf(key), valueName.c_str(), nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    if (isAbsent(status)) {
        return std::nullopt;
    }
    if (status != ERROR_SUCCESS) {
        throwRegistryFault(status, RegistryAccess::Read);
    }
    if (isText(type)) {
        return RegValue{type, textBytes(data)};
    }
    return RegValue{type, std::string(data.begin(), data.end())};
}

void RegistryKeyStore::writeValue(KeyId key, const std::string& name, const RegValue& value)
{
    const std::wstring text = isText(value.type) ? widen(value.data) : std::wstring();
    const BYTE* bytes = isText(value.type) ? reinterpret_cast<const BYTE*>(text.data())
                                           : reinterpret_cast<const BYTE*>(value.data.data());
    const size_t size = isText(value.type) ? text.size() * sizeof(wchar_t) : value.data.size();
    const LSTATUS status =
        RegSetValueExW(handleOf(key), widen(name).c_str(), 0, value.type, bytes, static_cast<DWORD>(size));
    if (status != ERROR_SUCCESS) {
        throwRegistryFault(status, RegistryAccess::Write);
    }
}

bool RegistryKeyStore::removeValue(KeyId key, const std::string& name)
{
    const LSTATUS status = RegDeleteValueW(handleOf(key), widen(name).c_str());
    if (isAbsent(status)) {
        return false;
    }
    if (status != ERROR_SUCCESS) {
        throwRegistryFault(status, RegistryAccess::Write);
    }
    return true;
}

void RegistryKeyStore::beginUpdate()
{
    update_.emplace(updateWait_);
}

void RegistryKeyStore::commitUpdate()
{
    update_.reset();
}

void RegistryKeyStore::rollbackUpdate() noexcept
{
    update_.reset(); // single writes cannot be taken back: they stay
}
