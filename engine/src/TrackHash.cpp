#include "TrackHash.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

namespace tovelink {

namespace {

class Provider {
public:
    Provider() {
        if (!CryptAcquireContextW(&handle_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
            handle_ = 0;
    }
    ~Provider() {
        if (handle_) CryptReleaseContext(handle_, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    HCRYPTPROV Get() const { return handle_; }

private:
    HCRYPTPROV handle_ = 0;
};

class Sha256 {
public:
    explicit Sha256(const Provider& provider) {
        if (!provider.Get() || !CryptCreateHash(provider.Get(), CALG_SHA_256, 0, 0, &handle_))
            handle_ = 0;
    }
    ~Sha256() {
        if (handle_) CryptDestroyHash(handle_);
    }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    HCRYPTHASH Get() const { return handle_; }

private:
    HCRYPTHASH handle_ = 0;
};

}  // namespace

std::optional<std::string> HashFile(const std::wstring& path, const StopSignal& stop) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) return std::nullopt;
    Provider provider;
    Sha256 hash(provider);
    if (!hash.Get()) return std::nullopt;
    std::vector<BYTE> buffer(256 * 1024);
    for (;;) {
        if (stop.IsSet()) return std::nullopt;
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return std::nullopt;
        if (read == 0) break;
        if (!CryptHashData(hash.Get(), buffer.data(), read, 0)) return std::nullopt;
    }
    BYTE digest[32];
    DWORD length = sizeof digest;
    if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, digest, &length, 0) || length != sizeof digest)
        return std::nullopt;
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (BYTE byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

}  // namespace tovelink
