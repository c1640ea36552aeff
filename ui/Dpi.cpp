#include "ui/Dpi.h"

#include "ui/GdiHandles.h"

namespace ui {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn UserFunction(const char* name) {
    const HMODULE user = GetModuleHandleW(L"user32.dll");
    return user ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user, name))) : nullptr;
}

}  // namespace

RECT ScaleRect(int left, int top, int width, int height, int dpi) {
    const int x = Scale(left, dpi), y = Scale(top, dpi);
    return RECT{x, y, x + Scale(width, dpi), y + Scale(height, dpi)};
}

int SystemDpi() {
    const ScopedWindowDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
    static const auto getDpiForWindow = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int SmallIconSize(int dpi) {
    static const auto forDpi = UserFunction<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi) {
        const int size = forDpi(SM_CXSMICON, static_cast<UINT>(dpi));
        if (size > 0) return size;
    }
    // The system's size is for the system's scale.
    const int system = GetSystemMetrics(SM_CXSMICON);
    return MulDiv(system > 0 ? system : 16, dpi, SystemDpi());
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi) {
    static const auto forDpi = UserFunction<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (forDpi && forDpi(&rect, style, menu ? TRUE : FALSE, exStyle, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(&rect, style, menu ? TRUE : FALSE, exStyle);
}

}  // namespace ui
