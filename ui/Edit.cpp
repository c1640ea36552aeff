#include "ui/Edit.h"

#include "ui/HighContrast.h"

#include <commctrl.h>

namespace ui {

bool Edit::Create(HWND parent, const ControlArgs& args) {
    ControlArgs edit = args;
    edit.style |= WS_TABSTOP | ES_AUTOHSCROLL;
    edit.exStyle |= WS_EX_CLIENTEDGE;
    if (!CreateControl(parent, L"EDIT", edit)) return false;
    Subclass();
    return true;
}

void Edit::SetColor(COLORREF color) {
    if (color == color_) return;
    color_ = color;
    brush_.Reset(color == CLR_INVALID ? nullptr : CreateSolidBrush(color));
    InvalidateRect(Handle(), nullptr, TRUE);
}

void Edit::OnCommand(WORD notification) {
    switch (notification) {
    case EN_CHANGE:
        if (OnChange) OnChange();
        break;
    case EN_SETFOCUS:
        if (OnEnter) OnEnter();
        break;
    case EN_KILLFOCUS:
        if (OnExit) OnExit();
        break;
    default:
        break;
    }
}

HBRUSH Edit::OnCtlColor(HDC dc) {
    if (!brush_ || HighContrastOn()) return nullptr;
    SetBkColor(dc, color_);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return brush_;
}

bool Edit::OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_GETDLGCODE && wParam == VK_RETURN && OnKeyDown) {
        // Let Enter reach the edit instead of the dialog navigation.
        result = DLGC_WANTALLKEYS | DefSubclassProc(Handle(), message, wParam, lParam);
        return true;
    }
    if (message == WM_KEYDOWN && OnKeyDown) {
        OnKeyDown(static_cast<WORD>(wParam));
        return false;
    }
    if (message == WM_CHAR && wParam == VK_RETURN && OnKeyDown) {
        result = 0;  // no beep for Enter in a single-line edit
        return true;
    }
    return false;
}

}  // namespace ui
