// Base of every window the program creates itself: one trampoline, `this` kept in GWLP_USERDATA.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct WindowClass {
    const wchar_t* name = nullptr;
    UINT style = CS_DBLCLKS;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HBRUSH background = nullptr;
};

struct CreateArgs {
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    const wchar_t* title = L"";
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    HWND parent = nullptr;
    HMENU menu = nullptr;
};

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }
    // The object of a window of this process made through this class; null for any other.
    static Window* FromHandle(HWND hwnd);
    void Destroy();

    bool Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
    void Show(int command = SW_SHOW) const { ShowWindow(hwnd_, command); }
    void Hide() const { ShowWindow(hwnd_, SW_HIDE); }
    void SetText(const std::wstring& text) const { SetWindowTextW(hwnd_, text.c_str()); }
    std::wstring Text() const;
    RECT ClientRect() const;

protected:
    [[nodiscard]] bool CreateHandle(const WindowClass& cls, const CreateArgs& args);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
    // Called while WM_NCDESTROY is handled, after the handle is detached.
    virtual void OnHandleDestroyed() {}

private:
    static LRESULT CALLBACK Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

HINSTANCE ModuleInstance();

}  // namespace ui
