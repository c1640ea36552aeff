#include "ui/GroupBox.h"

#include "ui/GdiHandles.h"

#include <oleacc.h>

namespace ui {

long GroupBox::AccessibleRole() const { return ROLE_SYSTEM_GROUPING; }

namespace {
constexpr int kCaptionLeft = 8;
constexpr int kCaptionPadding = 2;
}  // namespace

GroupBox::GroupBox() { frame_.SetParent(this); }

bool GroupBox::Create(HWND parent, const RECT& bounds, const std::wstring& caption, HFONT font) {
    WindowClass cls;
    cls.name = L"TonalixGroupBox";
    CreateArgs args;
    args.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    args.exStyle = WS_EX_CONTROLPARENT;
    args.x = bounds.left;
    args.y = bounds.top;
    args.width = bounds.right - bounds.left;
    args.height = bounds.bottom - bounds.top;
    args.parent = parent;
    frame_.caption = caption;
    frame_.font = font;
    if (!CreateHandle(cls, args)) return false;
    SetWindowTextW(Handle(), caption.c_str());  // read by screen readers
    const RECT client = ClientRect();
    frame_.SetBounds(0, 0, client.right, client.bottom);
    return true;
}

void GroupBox::SetFont(HFONT font) {
    if (frame_.font == font) return;
    frame_.font = font;
    frame_.Invalidate();
}

LRESULT GroupBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) frame_.SetBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
    return Container::HandleMessage(message, wParam, lParam);
}

void GroupBox::Frame::Paint(HDC dc) {
    ScopedSelect selected(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT edge{0, metrics.tmHeight / 2, Width(), Height()};
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
    if (caption.empty()) return;

    RECT text{kCaptionLeft, 0, Width() - kCaptionLeft, metrics.tmHeight};
    DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    RECT gap{text.left - kCaptionPadding, 0, text.right + kCaptionPadding, metrics.tmHeight};
    ScopedBrush background(CreateSolidBrush(Parent()->BackgroundColor()));
    FillRect(dc, &gap, background);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace ui
