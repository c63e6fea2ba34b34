#pragma once
// An open registry key that is closed with its owner. Only for the windows/
// sources: it brings <windows.h>, whose macros clash with the store's names,
// so it comes after every other header of the store.

#include <utility>

#include <windows.h>

class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() { reset(); }
    RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept
    {
        if (this != &other) {
            reset();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }

    HKEY get() const { return key_; }
    HKEY* out() // for a function that opens a key into it
    {
        reset();
        return &key_;
    }
    HKEY release() { return std::exchange(key_, nullptr); }
    explicit operator bool() const { return key_ != nullptr; }

private:
    void reset() noexcept
    {
        if (key_) {
            RegCloseKey(key_);
            key_ = nullptr;
        }
    }

    HKEY key_ = nullptr;
};
