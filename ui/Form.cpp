#include "ui/Form.h"

#include "ui/Dpi.h"

namespace ui {

void Form::SetClientSize(int width, int height) const {
    RECT rc{0, 0, width, height};
    const DWORD style = static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(Handle(), GWL_EXSTYLE));
    AdjustWindowRectForDpi(rc, style, GetMenu(Handle()) != nullptr, exStyle, dpi_);
    SetWindowPos(Handle(), nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps takes more room than the calculation assumes; and where the system
    // has no calculation for the window's scale, its frame may differ from the one assumed.
    RECT client{};
    GetClientRect(Handle(), &client);
    const int extraWidth = width - (client.right - client.left);
    const int extraHeight = height - (client.bottom - client.top);
    const bool frameMayDiffer = (extraWidth != 0 || extraHeight != 0) && dpi_ != SystemDpi();
    if (extraHeight > 0 || frameMayDiffer) {
        SetWindowPos(Handle(), nullptr, 0, 0, rc.right - rc.left + extraWidth, rc.bottom - rc.top + extraHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form::AdoptWindowDpi() { dpi_ = WindowDpi(Handle()); }

void Form::OnDpiChanged(int, const RECT& suggested) {
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::RepaintAll() const {
    // High contrast on or off changes every colour and picture: everything paints afresh.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Form::BringToForeground() const {
    if (!Handle()) return;
    SetForegroundWindow(Handle());
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        if (CloseQuery()) DestroyWindow(Handle());
        return 0;
    case WM_TIMER:
        for (Timer* timer : timers_) {
            if (timer->Dispatch(wParam)) return 0;
        }
        break;
    case WM_COMMAND:
        if (lParam == 0 && HIWORD(wParam) == 0) {
            OnMenuCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam) != WA_INACTIVE);
        break;
    case WM_DPICHANGED: {
        const int dpi = HIWORD(wParam);
        if (dpi <= 0 || lParam == 0) break;
        const int previous = dpi_;
        dpi_ = dpi;
        OnDpiChanged(previous, *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETHIGHCONTRAST) RepaintAll();
        break;
    case WM_SYSCOLORCHANGE:
        RepaintAll();
        break;
    default:
        break;
    }
    return Container::HandleMessage(message, wParam, lParam);
}

}  // namespace ui
