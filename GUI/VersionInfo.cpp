#include "GUI/VersionInfo.h"

#include <windows.h>

#include <vector>

std::unique_ptr<TVersionInfo> ProgramVersion;

TVersionInfo::TVersionInfo(const std::wstring& path) {
    std::wstring file = path;
    if (file.empty()) {
        wchar_t own[MAX_PATH * 2] = {};
        const DWORD length = GetModuleFileNameW(nullptr, own, static_cast<DWORD>(sizeof own / sizeof own[0]));
        if (length == 0 || length >= sizeof own / sizeof own[0]) return;
        file.assign(own, length);
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0) return;
    std::vector<BYTE> block(size, 0);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return;
    Major = static_cast<int32_t>(HIWORD(fixed->dwFileVersionMS));
    Minor = static_cast<int32_t>(LOWORD(fixed->dwFileVersionMS));
    Revision = static_cast<int32_t>(fixed->dwFileVersionLS);
    verInfoValid = true;
}

std::wstring TVersionInfo::VersionText() const {
    return std::to_wstring(Major) + L"." + std::to_wstring(Minor) + L"." + std::to_wstring(Revision);
}
