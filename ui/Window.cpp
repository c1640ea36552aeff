#include "ui/Window.h"

namespace ui {

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

Window::~Window() { Destroy(); }

Window* Window::FromHandle(HWND hwnd) {
    DWORD process = 0;
    if (!hwnd || !GetWindowThreadProcessId(hwnd, &process) || process != GetCurrentProcessId()) return nullptr;
    // The class's procedure, not the window's: a tooltip may have subclassed the window.
    if (reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC)) != &Window::Trampoline) return nullptr;
    auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return window && window->hwnd_ == hwnd ? window : nullptr;
}

void Window::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

std::wstring Window::Text() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

RECT Window::ClientRect() const {
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    return rc;
}

bool Window::CreateHandle(const WindowClass& cls, const CreateArgs& args) {
    const HINSTANCE instance = ModuleInstance();
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, cls.name, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.style = cls.style;
        wc.lpfnWndProc = &Window::Trampoline;
        wc.hInstance = instance;
        wc.hIcon = cls.icon;
        wc.hIconSm = cls.smallIcon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = cls.background;
        wc.lpszClassName = cls.name;
        if (!RegisterClassExW(&wc)) return false;
    }
    const HWND hwnd = CreateWindowExW(args.exStyle, cls.name, args.title, args.style, args.x, args.y,
                                      args.width, args.height, args.parent, args.menu, instance, this);
    return hwnd != nullptr && hwnd == hwnd_;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(message, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(create->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        self->hwnd_ = nullptr;
        self->OnHandleDestroyed();
        return result;
    }
    // No exception may unwind through the system's dispatcher.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace ui
