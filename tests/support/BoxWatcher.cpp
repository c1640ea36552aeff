#include "BoxWatcher.h"

namespace tests {

namespace {

std::wstring Text(HWND window) {
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

}  // namespace

BoxWatcher::BoxWatcher(int buttonId, DWORD delayMs, std::function<void()> beforePress)
    : button_(buttonId), delay_(delayMs), beforePress_(std::move(beforePress)), thread_([this] { Watch(); }) {}

BoxWatcher::~BoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenBox> BoxWatcher::Seen() {
    std::lock_guard<std::mutex> guard(lock_);
    return seen_;
}

void BoxWatcher::Watch() {
    std::vector<HWND> answered;
    while (!stop_) {
        HWND dialog = nullptr;
        while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(dialog, &pid);
            if (pid != GetCurrentProcessId() || !IsWindowVisible(dialog)) continue;
            bool known = false;
            for (HWND seen : answered) known = known || seen == dialog;
            if (known) continue;
            answered.push_back(dialog);
            SeenBox box{Text(dialog), L""};
            if (HWND text = GetDlgItem(dialog, 0xFFFF)) box.text = Text(text);
            {
                std::lock_guard<std::mutex> guard(lock_);
                seen_.push_back(box);
            }
            if (delay_) Sleep(delay_);
            if (beforePress_) beforePress_();
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
        }
        Sleep(10);
    }
}

}  // namespace tests
