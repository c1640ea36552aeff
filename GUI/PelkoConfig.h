// The client's working copy of the engine's configuration, and the run-at-logon registry value.
#pragma once

#include "GUI/PelkoDLLAPI.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TPelkoConfig {
public:
    TPelkoConfig() = default;
    ~TPelkoConfig() = default;
    TPelkoConfig(const TPelkoConfig&) = delete;
    TPelkoConfig& operator=(const TPelkoConfig&) = delete;

    // Copies the engine's record; tells the engine nothing. Rewrites or removes the logon value.
    void SetConfig(const DLLConfig* newConfig);

    void AddDir(const std::wstring& dirName);
    void DelDir(int index);
    std::wstring GetDir(int index) const;
    int GetDirCount() const { return static_cast<int>(indexerRoots.size()); }
    // Position of the first entry equal to dirName ignoring case (user's locale), or -1.
    int GetDirIndex(const std::wstring& dirName) const;

    const std::string& GetServerAddress() const { return serverAddress; }
    uint16_t GetServerPort() const { return serverPort; }
    uint16_t GetServerHttpsPort() const { return serverHttpsPort; }
    int32_t GetDisableSslCAVerify() const { return disableSslCAVerify; }
    const std::string& GetUsername() const { return loginName; }
    const std::string& GetPassword() const { return loginPassword; }
    int32_t GetMaxUpload() const { return maxUpload; }
    bool GetItunesEnabled() const { return importItunes; }
    bool GetAutoLogin() const { return loginOnRun; }
    bool GetAutoRun() const { return runOnStartup; }

    void SetItunesEnabled(bool value);
    void SetMaxUpload(int32_t value) { maxUpload = value; }
    void SetLoginOnRun(bool status) { loginOnRun = status; }
    void SetRunOnStartup(bool status);
    void SetUsername(const std::string& userName);
    void SetPassword(const std::string& password);

    // Hands everything to the engine and has it stored; the result is the engine's.
    int32_t SaveConfig();

    // Registry location of the logon value (tests point it elsewhere).
    static const wchar_t* const kRunKey;
    static const wchar_t* const kRunValue;

private:
    void SendUserpass() const;

    std::vector<std::wstring> indexerRoots;
    std::string serverAddress;
    std::string loginName;
    std::string loginPassword;
    uint16_t serverPort = 0;
    uint16_t serverHttpsPort = 0;
    int32_t disableSslCAVerify = 0;
    bool runOnStartup = false;
    bool loginOnRun = false;
    int32_t maxUpload = 0;
    bool importItunes = false;
};

// The one configuration object of the run: created at start-up, freed at shut-down.
extern std::unique_ptr<TPelkoConfig> Config;

// Longest folder path the engine record and the folder browser take, in UTF-16 units.
constexpr size_t kMaxFolderPath = 259;
