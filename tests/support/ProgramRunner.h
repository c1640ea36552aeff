// Starts the real Tonalix.exe for a system test, with its own engine configuration, call log and
// control pipe, and finds what it shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tests {

// Deletes a folder with everything below it.
void RemoveTree(const std::wstring& folder);

// A unique scratch folder under %TEMP%, removed whole at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring Path(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// The stand-in engine's stored configuration (engine/README.md), written as its file.
struct StoredConfig {
    std::vector<std::wstring> roots = {L"C:\\Music"};  // a music source, so no first-run prompt
    std::string serverAddress = "localhost";
    long long serverPort = 80, serverHttpsPort = 443, disableSslCAVerify = 0;
    std::string loginName, loginPassword;
    long long maxUpload = -1, runOnStartup = 0, loginOnRun = 0, importItunes = 0;
};
void WriteStoredConfig(const std::wstring& path, const StoredConfig& config);

std::wstring ProgramFolder();
std::wstring BesideProgram(const std::wstring& name);  // a file in the test program's folder
std::wstring ProgramExe();  // Tonalix.exe beside the test program

class ProgramRun {
public:
    ProgramRun(const ScratchFolder& scratch, const std::wstring& tag);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    const std::wstring& ConfigPath() const { return config_; }
    const std::wstring& CallLogPath() const { return callLog_; }
    const std::wstring& ControlPipe() const { return pipe_; }

    [[nodiscard]] bool Start(const std::wstring& arguments = L"");
    // The main window of this process, waiting up to timeoutMs for it.
    HWND WaitForMainWindow(DWORD timeoutMs = 20000) const;
    // Exit code, or -1 when still running after timeoutMs.
    int WaitForExit(DWORD timeoutMs = 20000);
    DWORD ProcessId() const { return info_.dwProcessId; }
    std::vector<std::string> Calls() const;
    // Waits until the engine call `name` appears in the call log.
    [[nodiscard]] bool WaitForCall(const std::string& name, DWORD timeoutMs = 10000) const;

private:
    std::wstring config_, callLog_, pipe_;
    PROCESS_INFORMATION info_{};
};

// Starts another process of the program (a second start) and returns its exit code.
int RunToExit(const std::wstring& arguments, DWORD timeoutMs = 20000);

// A message box shown by process `pid`: its text, and a way to press one of its buttons.
struct FoundBox {
    HWND dialog = nullptr;
    std::wstring caption;
    std::wstring text;
};
FoundBox WaitForMessageBox(DWORD pid, DWORD timeoutMs = 10000);
void PressButton(const FoundBox& box, int buttonId);

// True when `window` is shown (WS_VISIBLE).
bool IsShown(HWND window);

}  // namespace tests
