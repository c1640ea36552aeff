#include "GUI/PelkoConfig.h"

#include "GUI/AnsiText.h"
#include "GUI/RegistryKey.h"

#include <windows.h>

#include <algorithm>

std::unique_ptr<TPelkoConfig> Config;

const wchar_t* const TPelkoConfig::kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const TPelkoConfig::kRunValue = L"Tonalix";

namespace {

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

void TPelkoConfig::SetConfig(const DLLConfig* newConfig) {
    indexerRoots.clear();
    if (!newConfig) return;
    // A record claiming more roots than it has slots is read up to its last slot.
    const uint32_t count = newConfig->indexerRootCount < TOVELINK_MAX_ROOTS ? newConfig->indexerRootCount
                                                                            : TOVELINK_MAX_ROOTS;
    for (uint32_t i = 0; i < count; ++i) {
        if (newConfig->indexerRoots[i]) indexerRoots.emplace_back(newConfig->indexerRoots[i]);
    }
    serverAddress = AnsiFromField(newConfig->serverAddress, sizeof newConfig->serverAddress);
    loginName = AnsiFromField(newConfig->loginName, sizeof newConfig->loginName);
    loginPassword = AnsiFromField(newConfig->loginPassword, sizeof newConfig->loginPassword);
    serverPort = newConfig->serverPort;
    serverHttpsPort = newConfig->serverHttpsPort;
    disableSslCAVerify = newConfig->disableSslCAVerify;
    maxUpload = newConfig->maxUpload;
    importItunes = newConfig->importItunes == 1;
    SetRunOnStartup(newConfig->runOnStartup != 0);
    SetLoginOnRun(newConfig->loginOnRun != 0);
}

void TPelkoConfig::AddDir(const std::wstring& dirName) {
    DLLAPI_addRoot(dirName.c_str());
    indexerRoots.push_back(dirName);
}

void TPelkoConfig::DelDir(int index) {
    if (index < 0 || index >= GetDirCount()) return;
    DLLAPI_removeRoot(indexerRoots[static_cast<size_t>(index)].c_str());
    indexerRoots.erase(indexerRoots.begin() + index);
}

std::wstring TPelkoConfig::GetDir(int index) const {
    if (index < 0 || index >= GetDirCount()) return {};
    return indexerRoots[static_cast<size_t>(index)];
}

int TPelkoConfig::GetDirIndex(const std::wstring& dirName) const {
    for (size_t i = 0; i < indexerRoots.size(); ++i) {
        const std::wstring& entry = indexerRoots[i];
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, entry.c_str(), static_cast<int>(entry.size()),
                           dirName.c_str(), static_cast<int>(dirName.size())) == CSTR_EQUAL)
            return static_cast<int>(i);
    }
    return -1;
}

void TPelkoConfig::SetItunesEnabled(bool value) {
    importItunes = value;
    if (value) DLLAPI_enableItunes();
    else DLLAPI_disableItunes();
}

void TPelkoConfig::SetRunOnStartup(bool status) {
    runOnStartup = status;
    TRegistryKey key;
    if (status) {
        if (!key.Create(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE)) return;
        const std::wstring command = L"\"" + ProgramPath() + L"\" /minimized";
        RegSetValueExW(key.Get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    } else {
        if (!key.Open(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE | KEY_SET_VALUE)) return;
        if (RegQueryValueExW(key.Get(), kRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            RegDeleteValueW(key.Get(), kRunValue);
    }
}

void TPelkoConfig::SendUserpass() const {
    DLLUserpass record{};
    AnsiToField(loginName, record.loginName, sizeof record.loginName);
    AnsiToField(loginPassword, record.loginPassword, sizeof record.loginPassword);
    DLLAPI_setUserpass(&record);
}

void TPelkoConfig::SetUsername(const std::string& userName) {
    loginName = userName;
    SendUserpass();
}

void TPelkoConfig::SetPassword(const std::string& password) {
    loginPassword = password;
    SendUserpass();
}

int32_t TPelkoConfig::SaveConfig() {
    DLLConfig record{};
    // The record points into these copies until the engine has taken it.
    std::vector<std::wstring> roots(indexerRoots.begin(),
                                    indexerRoots.begin() + std::min<size_t>(indexerRoots.size(), TOVELINK_MAX_ROOTS));
    record.indexerRootCount = static_cast<uint32_t>(roots.size());
    for (size_t i = 0; i < roots.size(); ++i) record.indexerRoots[i] = roots[i].c_str();
    AnsiToField(serverAddress, record.serverAddress, sizeof record.serverAddress);
    AnsiToField(loginName, record.loginName, sizeof record.loginName);
    AnsiToField(loginPassword, record.loginPassword, sizeof record.loginPassword);
    record.serverPort = serverPort;
    record.serverHttpsPort = serverHttpsPort;
    record.disableSslCAVerify = disableSslCAVerify;
    record.maxUpload = maxUpload;
    record.runOnStartup = runOnStartup ? 1 : 0;
    record.loginOnRun = loginOnRun ? 1 : 0;
    record.importItunes = importItunes ? 1 : 0;
    DLLAPI_setConfig(&record);
    DLLAPI_setMaxUpload(maxUpload);
    return DLLAPI_configSave();
}
