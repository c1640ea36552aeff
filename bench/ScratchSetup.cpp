#include "ScratchSetup.h"

#include <windows.h>

#include <fstream>

namespace bench {

ScratchSetup::ScratchSetup(const std::wstring& tag) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring unique = tag + L"-" + std::to_wstring(GetCurrentProcessId());
    folder_ = std::wstring(temp) + L"tonalix-bench-" + unique;
    CreateDirectoryW(folder_.c_str(), nullptr);
    config_ = folder_ + L"\\config.ini";
    pipe_ = L"tonalix-bench-" + unique;
    // A music folder is configured, so no first-run prompt interrupts the run; the version check
    // asks a port on this machine that nothing serves.
    std::ofstream out(config_.c_str(), std::ios::binary | std::ios::trunc);
    out << "[config]\nroot=C:\\Music\nserverAddress=127.0.0.1\nserverPort=9\nloginName=bench@example.com\n"
           "loginPassword=secret\nloginOnRun=0\n";
}

ScratchSetup::~ScratchSetup() {
    DeleteFileW(config_.c_str());
    RemoveDirectoryW(folder_.c_str());
}

void ScratchSetup::Apply(bool withPipe) const {
    SetEnvironmentVariableW(L"TOVELINK_CONFIG", config_.c_str());
    SetEnvironmentVariableW(L"TOVELINK_CONTROL", withPipe ? pipe_.c_str() : nullptr);
    // The engine sends only what a benchmark asks it to send.
    SetEnvironmentVariableW(L"TOVELINK_MODE", L"quiet");
}

void ScratchSetup::Clear() {
    SetEnvironmentVariableW(L"TOVELINK_CONFIG", nullptr);
    SetEnvironmentVariableW(L"TOVELINK_CONTROL", nullptr);
    SetEnvironmentVariableW(L"TOVELINK_MODE", nullptr);
}

}  // namespace bench
