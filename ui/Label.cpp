#include "ui/Label.h"

#include "ui/Container.h"
#include "ui/GdiHandles.h"
#include "ui/HighContrast.h"

#include <oleacc.h>

namespace ui {

Label::Label() { SetAccessible(ROLE_SYSTEM_STATICTEXT); }

std::wstring Label::AccessibleName() const {
    const std::wstring own = GraphicControl::AccessibleName();
    return own.empty() ? caption_ : own;
}

void Label::SetStyle(const LabelStyle& style) {
    style_ = style;
    font_.Set(style.font);
    AdjustSize();
    Invalidate();
}

void Label::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    AdjustSize();
    Invalidate();
    NotifyAccessible(EVENT_OBJECT_NAMECHANGE);
}

void Label::SetUnderline(bool underline) {
    font_.SetUnderline(underline);
    Invalidate();
}

UINT Label::DrawFlags() const {
    UINT flags = DT_NOPREFIX;
    flags |= style_.align == TextAlign::Center ? DT_CENTER : DT_LEFT;
    if (style_.wordWrap) flags |= DT_WORDBREAK;
    else if (style_.layout == TextLayout::Bottom) flags |= DT_SINGLELINE | DT_BOTTOM;
    return flags;
}

void Label::AdjustSize() {
    if (!style_.autoSize) return;
    ScopedWindowDC screen(nullptr);
    ScopedSelect font(screen, font_.Handle());
    RECT rc{0, 0, style_.wordWrap ? Width() : 0, 0};
    DrawTextW(screen, caption_.empty() ? L" " : caption_.c_str(), -1, &rc, (DrawFlags() & ~DT_BOTTOM) | DT_CALCRECT);
    const RECT& b = Bounds();
    SetBounds(b.left, b.top, rc.right - rc.left, rc.bottom - rc.top);
}

int Label::TextWidth() const {
    if (caption_.empty()) return 0;
    ScopedWindowDC screen(nullptr);
    ScopedSelect font(screen, font_.Handle());
    RECT rc{0, 0, 0, 0};
    DrawTextW(screen, caption_.c_str(), -1, &rc, DT_NOPREFIX | DT_SINGLELINE | DT_CALCRECT);
    return rc.right - rc.left;
}

COLORREF Label::TextColor() const {
    // In high contrast the program's own colours give way; links take the system's link colour.
    if (HighContrastOn()) return GetSysColor(AccessibleRole() == ROLE_SYSTEM_LINK ? COLOR_HOTLIGHT : COLOR_WINDOWTEXT);
    return style_.color == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : style_.color;
}

void Label::Paint(HDC dc) {
    RECT rc{0, 0, Width(), Height()};
    ScopedSelect font(dc, font_.Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColor());
    DrawTextW(dc, caption_.c_str(), -1, &rc, DrawFlags());
}

}  // namespace ui
