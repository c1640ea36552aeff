// Owner of an open registry key.
#pragma once

#include <windows.h>

class TRegistryKey {
public:
    TRegistryKey() = default;
    ~TRegistryKey() { Close(); }
    TRegistryKey(const TRegistryKey&) = delete;
    TRegistryKey& operator=(const TRegistryKey&) = delete;

    [[nodiscard]] bool Open(HKEY root, const wchar_t* path, REGSAM access) {
        Close();
        return RegOpenKeyExW(root, path, 0, access, &key_) == ERROR_SUCCESS;
    }
    [[nodiscard]] bool Create(HKEY root, const wchar_t* path, REGSAM access) {
        Close();
        return RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, &key_, nullptr) == ERROR_SUCCESS;
    }
    void Close() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};
