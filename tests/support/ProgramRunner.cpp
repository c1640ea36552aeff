#include "ProgramRunner.h"

#include "EngineControl.h"

#include <fstream>

namespace tests {

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr,
                        nullptr);
    return out;
}

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

struct SearchState {
    DWORD pid;
    HWND found;
};

}  // namespace

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static LONG counter = 0;
    path_ = std::wstring(temp) + L"tonalix-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(InterlockedIncrement(&counter));
    CreateDirectoryW(path_.c_str(), nullptr);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

void WriteStoredConfig(const std::wstring& path, const StoredConfig& c) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << "[config]\n";
    for (const std::wstring& root : c.roots) out << "root=" << Utf8(root) << "\n";
    out << "serverAddress=" << c.serverAddress << "\n"
        << "serverPort=" << c.serverPort << "\n"
        << "serverHttpsPort=" << c.serverHttpsPort << "\n"
        << "disableSslCAVerify=" << c.disableSslCAVerify << "\n"
        << "loginName=" << c.loginName << "\n"
        << "loginPassword=" << c.loginPassword << "\n"
        << "maxUpload=" << c.maxUpload << "\n"
        << "runOnStartup=" << c.runOnStartup << "\n"
        << "loginOnRun=" << c.loginOnRun << "\n"
        << "importItunes=" << c.importItunes << "\n";
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring BesideProgram(const std::wstring& name) { return ProgramFolder() + L"\\" + name; }

std::wstring ProgramExe() { return BesideProgram(L"Tonalix.exe"); }

ProgramRun::ProgramRun(const ScratchFolder& scratch, const std::wstring& tag)
    : config_(scratch.Path(tag + L"-config.ini")),
      callLog_(scratch.Path(tag + L"-calls.log")),
      pipe_(L"tonalix-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + tag) {}

ProgramRun::~ProgramRun() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

bool ProgramRun::Start(const std::wstring& arguments) {
    // The child inherits the engine's test contract through its environment.
    SetEnvironmentVariableW(L"TOVELINK_CONFIG", config_.c_str());
    SetEnvironmentVariableW(L"TOVELINK_CALLLOG", callLog_.c_str());
    SetEnvironmentVariableW(L"TOVELINK_CONTROL", pipe_.c_str());
    std::wstring command = L"\"" + ProgramExe() + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        ProgramFolder().c_str(), &startup, &info_);
    SetEnvironmentVariableW(L"TOVELINK_CONFIG", nullptr);
    SetEnvironmentVariableW(L"TOVELINK_CALLLOG", nullptr);
    SetEnvironmentVariableW(L"TOVELINK_CONTROL", nullptr);
    return started != FALSE;
}

HWND ProgramRun::WaitForMainWindow(DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, L"TPelkoMainForm", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == info_.dwProcessId) return window;
        }
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(20);
    }
}

int ProgramRun::WaitForExit(DWORD timeoutMs) {
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
}

std::vector<std::string> ProgramRun::Calls() const { return ReadCallLog(callLog_); }

bool ProgramRun::WaitForCall(const std::string& name, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        for (const std::string& call : Calls())
            if (call.substr(0, call.find('\t')) == name) return true;
        Sleep(20);
    }
    return false;
}

int RunToExit(const std::wstring& arguments, DWORD timeoutMs) {
    std::wstring command = L"\"" + ProgramExe() + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, ProgramFolder().c_str(),
                        &startup, &info))
        return -2;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    else TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return static_cast<int>(code);
}

FoundBox WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND dialog = nullptr;
        while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(dialog, &owner);
            if (owner != pid || !IsWindowVisible(dialog)) continue;
            FoundBox box;
            box.dialog = dialog;
            box.caption = WindowText(dialog);
            if (HWND text = GetDlgItem(dialog, 0xFFFF)) box.text = WindowText(text);
            return box;
        }
        if (GetTickCount() - start >= timeoutMs) return {};
        Sleep(20);
    }
}

void PressButton(const FoundBox& box, int buttonId) {
    PostMessageW(box.dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

bool IsShown(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

}  // namespace tests
