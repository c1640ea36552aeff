#include "ConfigStore.h"

#include "ConfigText.h"
#include "Environment.h"
#include "Win32Handle.h"

#include <windows.h>

namespace tovelink {

namespace {

// Far beyond any real configuration; a larger file is read only this far.
constexpr DWORD kMaxFileSize = 1 << 20;

void CreateParentFolders(const std::wstring& path) {
    // Failures are left to the file creation that follows to report.
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != L'\\' && path[i] != L'/') continue;
        if (path[i - 1] == L':' || path[i - 1] == L'\\' || path[i - 1] == L'/') continue;
        CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    }
}

[[nodiscard]] bool WriteWhole(HANDLE file, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        DWORD written = 0;
        if (!WriteFile(file, data.data() + done, static_cast<DWORD>(data.size() - done), &written,
                       nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

std::wstring ConfigFilePath() {
    if (auto path = ReadEnvironment(L"TOVELINK_CONFIG"); path && !path->empty()) return *path;
    if (auto appData = ReadEnvironment(L"APPDATA"); appData && !appData->empty())
        return *appData + L"\\Tovelink\\config.ini";
    return {};
}

EngineConfig LoadConfigFile(const std::wstring& path) {
    if (path.empty()) return EngineConfig{};
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return EngineConfig{};
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (text.size() < kMaxFileSize && ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) &&
           read > 0)
        text.append(buffer, read);
    if (text.size() > kMaxFileSize) text.resize(kMaxFileSize);
    return ParseConfigText(text);
}

bool SaveConfigFile(const std::wstring& path, const EngineConfig& config) {
    if (path.empty()) return false;
    CreateParentFolders(path);
    const std::wstring temporary = path + L".tmp";
    {
        KernelHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return false;
        if (!WriteWhole(file.Get(), FormatConfigText(config)) || !FlushFileBuffers(file.Get())) {
            file.Reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace tovelink
