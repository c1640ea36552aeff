#include "ui/MessageLoop.h"

namespace ui {

bool MessageLoop::Dispatch(MSG& msg) {
    if (msg.message == WM_QUIT) {
        exitCode_ = static_cast<int>(msg.wParam);
        return false;
    }
    // Tab and arrow navigation between the controls of whichever top-level window is active.
    const HWND active = GetActiveWindow();
    if (active && IsDialogMessageW(active, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void MessageLoop::RunIdle() {
    if (!idle_) return;
    auto handler = std::move(idle_);
    idle_ = nullptr;
    handler();
}

bool MessageLoop::PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!Dispatch(msg)) {
            PostQuitMessage(exitCode_);
            return false;
        }
    }
    return true;
}

int MessageLoop::Run() {
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!Dispatch(msg)) return exitCode_;
        }
        RunIdle();
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
    }
}

}  // namespace ui
