#include "GUI/MultipleInstancePrevention.h"

TMultipleInstance::~TMultipleInstance() {
    if (mutex_) CloseHandle(mutex_);
}

bool TMultipleInstance::IsAllreadyStarted(const wchar_t* WndClass) const {
    return FindWindowW(WndClass, nullptr) != nullptr;
}

void TMultipleInstance::ShowApplication(const wchar_t* WndClass, UINT MessageToPost) const {
    const HWND window = FindWindowW(WndClass, nullptr);
    if (!window) return;
    // The foreground lock refuses SetForegroundWindow to a background process; the user just
    // started this one, so it may hand its right to the foreground on to the running instance.
    DWORD processId = 0;
    if (GetWindowThreadProcessId(window, &processId) && processId && allowForeground_) allowForeground_(processId);
    PostMessageW(window, MessageToPost, 0, 0);
}

bool TMultipleInstance::ClaimInstance(const wchar_t* mutexName) {
    const HANDLE mutex = CreateMutexW(nullptr, TRUE, mutexName);
    if (!mutex) return true;  // without a mutex the window check alone decides
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    mutex_ = mutex;
    return true;
}

bool TMultipleInstance::WaitForWindow(const wchar_t* WndClass, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    while (!IsAllreadyStarted(WndClass)) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}
