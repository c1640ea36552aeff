#include "ui/BitmapButton.h"

#include <commctrl.h>

namespace ui {

bool BitmapButton::Create(HWND parent, const ControlArgs& args) {
    ControlArgs button = args;
    // Owner-drawn, so the control never paints a face of its own over the picture.
    button.style |= WS_TABSTOP | BS_OWNERDRAW;
    if (!CreateControl(parent, L"BUTTON", button)) return false;
    Subclass();
    return true;
}

void BitmapButton::SetPictures(const PngImage& enabled, const PngImage& disabled) {
    enabled_ = enabled;
    disabled_ = disabled;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void BitmapButton::SetTooltip(const std::wstring& text) {
    tooltipText_ = text;
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(Handle());
    info.uId = reinterpret_cast<UINT_PTR>(Handle());
    info.lpszText = const_cast<wchar_t*>(tooltipText_.c_str());
    if (tooltip_) {
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
        return;
    }
    tooltip_.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(Handle()),
                                   nullptr, GetModuleHandleW(nullptr), nullptr));
    if (tooltip_) SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void BitmapButton::Click() {
    if (Enabled() && OnClick) OnClick();
}

void BitmapButton::OnCommand(WORD notification) {
    if (notification == BN_CLICKED && OnClick) OnClick();
}

void BitmapButton::Paint(HDC dc) const {
    RECT rc{};
    GetClientRect(Handle(), &rc);
    const bool pushed = (SendMessageW(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    const PngImage& picture = CurrentPicture();
    const int shift = pushed ? 1 : 0;
    picture.Draw(dc, (rc.right - picture.Width()) / 2 + shift, (rc.bottom - picture.Height()) / 2 + shift);

    const bool focusHidden = (SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    if (GetFocus() == Handle() && !focusHidden) {
        RECT focus = rc;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

void BitmapButton::OnPaint() const {
    PAINTSTRUCT ps;
    const HDC screen = BeginPaint(Handle(), &ps);
    RECT rc{};
    GetClientRect(Handle(), &rc);
    // Composed off-screen: the face, frame and picture appear in one step.
    ScopedMemoryDC memory(screen);
    ScopedBitmap bitmap(CreateCompatibleBitmap(screen, rc.right, rc.bottom));
    if (memory && bitmap) {
        ScopedSelect select(memory, bitmap);
        Paint(memory);
        BitBlt(screen, 0, 0, rc.right, rc.bottom, memory, 0, 0, SRCCOPY);
    }
    EndPaint(Handle(), &ps);
}

bool BitmapButton::OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case BM_SETSTATE:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        // The control draws these changes through its parent; repaint them here instead.
        result = DefSubclassProc(Handle(), message, wParam, lParam);
        InvalidateRect(Handle(), nullptr, FALSE);
        return true;
    default:
        return false;
    }
}

}  // namespace ui
