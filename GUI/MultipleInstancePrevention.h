// Keeps one running instance per desktop session: a later start wakes the running one and exits.
#pragma once

#include <windows.h>

class TMultipleInstance {
public:
    // Lets a process take the foreground (AllowSetForegroundWindow on Windows).
    using AllowForegroundFunction = BOOL(WINAPI*)(DWORD processId);

    explicit TMultipleInstance(AllowForegroundFunction allowForeground = AllowSetForegroundWindow)
        : allowForeground_(allowForeground) {}
    ~TMultipleInstance();
    TMultipleInstance(const TMultipleInstance&) = delete;
    TMultipleInstance& operator=(const TMultipleInstance&) = delete;

    // True when a top-level window of class WndClass exists (hidden ones included).
    bool IsAllreadyStarted(const wchar_t* WndClass) const;
    // Posts MessageToPost with both parameters 0 to that window, if there is one, after letting
    // its process take the foreground.
    void ShowApplication(const wchar_t* WndClass, UINT MessageToPost) const;

    // Claims the session-wide instance mutex. False when another process holds it: that process
    // is the running instance, even if its window does not exist yet.
    [[nodiscard]] bool ClaimInstance(const wchar_t* mutexName);
    // Waits up to `timeoutMs` for the running instance's window to appear.
    bool WaitForWindow(const wchar_t* WndClass, DWORD timeoutMs) const;

private:
    AllowForegroundFunction allowForeground_;
    HANDLE mutex_ = nullptr;
};
