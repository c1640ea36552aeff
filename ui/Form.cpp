#include "ui/Form.h"

namespace ui {

void Form::SetClientSize(int width, int height) const {
    RECT rc{0, 0, width, height};
    const DWORD style = static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(Handle(), GWL_EXSTYLE));
    AdjustWindowRectEx(&rc, style, GetMenu(Handle()) != nullptr, exStyle);
    SetWindowPos(Handle(), nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps takes more room than AdjustWindowRectEx assumes.
    RECT client{};
    GetClientRect(Handle(), &client);
    const int extra = height - (client.bottom - client.top);
    if (extra > 0) {
        SetWindowPos(Handle(), nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top + extra,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
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
