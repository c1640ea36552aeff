// Answers the message boxes this test process shows, from a second thread, and remembers them.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tests {

struct SeenBox {
    std::wstring caption;
    std::wstring text;
};

class BoxWatcher {
public:
    // Presses `buttonId` (IDOK, IDYES, IDNO, ...) in every box of this process as it appears.
    // `delayMs` keeps each box open that long; `beforePress` runs (on the watcher's thread) just
    // before the button is pressed.
    explicit BoxWatcher(int buttonId, DWORD delayMs = 0, std::function<void()> beforePress = nullptr);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<SeenBox> Seen();

private:
    void Watch();
    int button_;
    DWORD delay_;
    std::function<void()> beforePress_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<SeenBox> seen_;
    std::thread thread_;
};

}  // namespace tests
