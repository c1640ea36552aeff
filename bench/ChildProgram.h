// One run of a measured program: started, waited for until its main window is shown and answers,
// asked to close, and ended by force if it does not.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

class ChildProgram {
public:
    // `windowClass` names the program's main window, `closeMessage` what asks it to end.
    ChildProgram(std::wstring path, std::wstring windowClass, UINT closeMessage);
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    [[nodiscard]] bool Start(const std::wstring& arguments = L"");
    // Seconds from Start until the main window is visible; negative when it was not within the
    // time-out.
    double WaitUntilShown(DWORD timeoutMs = 30000);
    // Seconds from Start until the main window's thread answers a message (after WaitUntilShown).
    double WaitUntilAnswering(DWORD timeoutMs = 30000);
    // Asks the program to end and waits for it; false when it had to be ended by force.
    bool Close(DWORD timeoutMs = 20000);

    HANDLE Process() const { return info_.hProcess; }
    DWORD ProcessId() const { return info_.dwProcessId; }
    HWND Window() const { return window_; }

private:
    HWND FindMainWindow() const;
    double SinceStart() const;

    std::wstring path_, windowClass_;
    UINT closeMessage_;
    PROCESS_INFORMATION info_{};
    LARGE_INTEGER started_{};
    HWND window_ = nullptr;
};

// The folder of this program, where the measured programs are built too.
std::wstring ProgramFolder();

}  // namespace bench
