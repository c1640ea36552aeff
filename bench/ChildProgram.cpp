#include "ChildProgram.h"

namespace bench {

ChildProgram::ChildProgram(std::wstring path, std::wstring windowClass, UINT closeMessage)
    : path_(std::move(path)), windowClass_(std::move(windowClass)), closeMessage_(closeMessage) {}

ChildProgram::~ChildProgram() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

bool ChildProgram::Start(const std::wstring& arguments) {
    std::wstring command = L"\"" + path_ + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    QueryPerformanceCounter(&started_);
    return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, ProgramFolder().c_str(),
                          &startup, &info_) != FALSE;
}

HWND ChildProgram::FindMainWindow() const {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, windowClass_.c_str(), nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == info_.dwProcessId) return window;
    }
    return nullptr;
}

double ChildProgram::SinceStart() const {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - started_.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ChildProgram::WaitUntilShown(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline) {
        const HWND window = FindMainWindow();
        if (window && IsWindowVisible(window)) {
            window_ = window;
            return SinceStart();
        }
        if (WaitForSingleObject(info_.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    return -1.0;
}

double ChildProgram::WaitUntilAnswering(DWORD timeoutMs) {
    DWORD_PTR answer = 0;
    if (!window_ || !SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer)) return -1.0;
    return SinceStart();
}

bool ChildProgram::Close(DWORD timeoutMs) {
    if (!info_.hProcess) return true;
    if (window_) PostMessageW(window_, closeMessage_, 0, 0);
    if (WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0) return true;
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
    return false;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

}  // namespace bench
