// What another process's window shows, read the way a person sees it: pixels from the screen,
// child controls by their text. For the end-to-end tests of the real program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tests {

// A copy of a window's client area as the screen shows it now (0x00RRGGBB per pixel).
struct ClientPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Pixels in `area` (client coordinates) whose colour is within `tolerance` of `rgb` in
    // every channel.
    int Count(const RECT& area, uint32_t rgb, int tolerance = 8) const;
    // Pixels in `area` that are clearly red.
    int Reddish(const RECT& area) const;
    // A hash of the pixels in `area`, to tell two pictures apart.
    uint64_t Fingerprint(const RECT& area) const;
};
ClientPixels CaptureClient(HWND window);

// A child control (at any depth) of the given window class whose text equals `text`; nullptr when
// there is none. An empty text matches any.
HWND FindControl(HWND top, const wchar_t* className, const std::wstring& text);
// The edit box with the password style.
HWND FindPasswordEdit(HWND top);

// Sets an edit box's text as typing would (the control notifies its parent of the change).
void TypeInto(HWND edit, const std::wstring& text);
// Presses a push button.
void Press(HWND button);

std::wstring TextOf(HWND window);

// Waits up to timeoutMs until `done()` holds.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs = 20000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
    return true;
}

}  // namespace tests
