// The program's message loop: keyboard navigation for the active window and a one-shot idle handler.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

class MessageLoop {
public:
    // Runs until WM_QUIT; returns its exit code.
    int Run();
    // Runs once, the next time the message queue is empty, then removes itself.
    void SetIdleHandler(std::function<void()> handler) { idle_ = std::move(handler); }
    bool HasIdleHandler() const { return static_cast<bool>(idle_); }
    // Processes what is waiting and returns; false once WM_QUIT was seen.
    bool PumpPending();

private:
    bool Dispatch(MSG& msg);
    void RunIdle();
    std::function<void()> idle_;
    int exitCode_ = 0;
};

}  // namespace ui
