#include "store/reg_def.h"

#include "store/key_store.h"

namespace {

StoreError storeError(const char* what, const std::string& name, const StoreFault* cause = nullptr)
{
    return StoreError(std::string(what) + " for '" + name + "'", cause);
}

// "a\b\c" -> {a, b, c}; "" -> {}. A path with an empty component names no key.
std::optional<KeyNames> splitPath(const std::string& path)
{
    KeyNames names;
    if (path.empty()) {
        return names;
    }
    size_t start = 0;
    for (;;) {
        size_t end = path.find('\\', start);
        std::string name = path.substr(start, end == std::string::npos ? end : end - start);
        if (name.empty()) {
            return std::nullopt;
        }
        names.push_back(std::move(name));
        if (end == std::string::npos) {
            return names;
        }
        start = end + 1;
    }
}

bool isAbsolute(const std::string& path)
{
    return !path.empty() && path.front() == '\\';
}

std::string dwordBytes(int32_t n)
{
    auto u = static_cast<uint32_t>(n);
    return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF), static_cast<char>((u >> 16) & 0xFF),
            static_cast<char>((u >> 24) & 0xFF)};
}

int32_t dwordValue(const std::string& bytes)
{
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i) {
        u = (u << 8) | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
    }
    return static_cast<int32_t>(u);
}

// A text value's characters up to its first zero byte; no data reads as empty
// whatever its type.
std::string textOf(const RegValue& value, const std::string& name)
{
    if (value.data.empty()) {
        return {};
    }
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
        throw storeError("Invalid data type", name);
    }
    return value.data.substr(0, value.data.find('\0'));
}

} // namespace

StoreError::StoreError(const std::string& message, const StoreFault* cause)
    : std::runtime_error(message), cause_(cause ? std::make_shared<const StoreFault>(*cause) : nullptr)
{}

TRegDef::TRegDef() : TRegDef(openUserKeyStore()) {}

TRegDef::TRegDef(std::shared_ptr<KeyStore> store) : store_(std::move(store)) {}

TRegDef::~TRegDef()
{
    CloseCurrent();
    if (updating_) {
        store_->rollbackUpdate();
    }
}

void TRegDef::keepFault(const StoreFault& fault)
{
    if (!fault_) {
        fault_ = fault;
    }
}

template <typename Call, typename Result>
Result TRegDef::attempt(Call call, Result failed)
{
    try {
        return call();
    } catch (const KeyStoreError& error) {
        keepFault(error.fault());
        return failed;
    }
}

void TRegDef::SelectRoot(RegRoot root)
{
    if (root != root_) {
        CloseCurrent();
        root_ = root;
    }
}

std::optional<TRegDef::Resolved> TRegDef::resolve(const std::string& path)
{
    bool absolute = isAbsolute(path);
    std::optional<KeyNames> names = splitPath(absolute ? path.substr(1) : path);
    if (!names) {
        return std::nullopt;
    }
    int64_t base = !absolute && currentKey_ ? *currentKey_ : store_->rootKey(root_);
    return Resolved{base, std::move(*names)};
}

bool TRegDef::OpenPath(const std::string& path, bool create)
{
    std::optional<Resolved> target = resolve(path);
    if (!target) {
        return false;
    }
    std::optional<KeyId> key =
        attempt([&] { return store_->openKey(target->base, target->names, create); }, std::optional<KeyId>());
    if (!key) {
        return false;
    }
    std::string newPath = !isAbsolute(path) && currentKey_ ? currentPath_ + "\\" + path : path;
    CloseCurrent();
    currentKey_ = key;
    currentPath_ = std::move(newPath);
    return true;
}

void TRegDef::CloseCurrent()
{
    if (currentKey_) {
        store_->closeKey(*currentKey_);
    }
    currentKey_.reset();
    currentPath_.clear();
}

std::optional<RegValue> TRegDef::fetch(const std::string& name)
{
    if (!currentKey_) {
        return std::nullopt;
    }
    try {
        return store_->readValue(*currentKey_, name);
    } catch (const KeyStoreError& error) {
        keepFault(error.fault());
        throw storeError("Failed to get data", name, &error.fault());
    }
}

std::string TRegDef::ReadText(const std::string& name)
{
    std::optional<RegValue> value = fetch(name);
    return value ? textOf(*value, name) : std::string();
}

std::string TRegDef::ReadTextOr(const std::string& name, const std::string& defaultText)
{
    try {
        std::optional<RegValue> value = fetch(name);
        return value ? textOf(*value, name) : defaultText;
    } catch (const StoreError&) {
        return defaultText;
    }
}

int32_t TRegDef::ReadNumberOr(const std::string& name, int32_t defaultNumber)
{
    try {
        std::optional<RegValue> value = fetch(name);
        if (value && value->type == REG_DWORD && value->data.size() == 4) {
            return dwordValue(value->data);
        }
    } catch (const StoreError&) {
        // the default stands in for what cannot be read
    }
    return defaultNumber;
}

bool TRegDef::ReadFlagOr(const std::string& name, bool defaultFlag)
{
    return ReadNumberOr(name, defaultFlag ? 1 : 0) != 0;
}

void TRegDef::write(const std::string& name, uint32_t type, std::string data)
{
    if (!currentKey_) {
        throw storeError("Failed to set data", name);
    }
    try {
        store_->writeValue(*currentKey_, name, RegValue{type, std::move(data)});
    } catch (const KeyStoreError& error) {
        keepFault(error.fault());
        throw storeError("Failed to set data", name, &error.fault());
    }
}

void TRegDef::WriteText(const std::string& name, const std::string& text)
{
    write(name, REG_SZ, text + '\0');
}

void TRegDef::WriteNumber(const std::string& name, int32_t n)
{
    write(name, REG_DWORD, dwordBytes(n));
}

void TRegDef::WriteFlag(const std::string& name, bool b)
{
    WriteNumber(name, b ? 1 : 0);
}

void TRegDef::ListSubkeys(std::vector<std::string>& list)
{
    list.clear();
    if (!currentKey_) {
        return;
    }
    // A key that cannot be queried lists nothing.
    list = attempt([&] { return store_->subkeyNames(*currentKey_); }, std::vector<std::string>());
}

bool TRegDef::RemoveValue(const std::string& name)
{
    if (!currentKey_) {
        return false;
    }
    return attempt([&] { return store_->removeValue(*currentKey_, name); }, false);
}

bool TRegDef::RemoveKey(const std::string& path)
{
    std::optional<Resolved> target = resolve(path);
    // An empty path would name the key the path starts from: never removed.
    if (!target || target->names.empty()) {
        return false;
    }
    return attempt([&] { return store_->removeKeyTree(target->base, target->names); }, false);
}

bool TRegDef::BeginUpdate()
{
    updating_ = attempt(
        [&] {
            store_->beginUpdate();
            return true;
        },
        false);
    return updating_;
}

bool TRegDef::CommitUpdate()
{
    if (!updating_) {
        return false;
    }
    updating_ = false;
    const bool committed = attempt(
        [&] {
            store_->commitUpdate();
            return true;
        },
        false);
    if (!committed) {
        store_->rollbackUpdate();
    }
    return committed;
}
