#include "ui/Container.h"

#include "ui/FocusHolder.h"
#include "ui/GraphicControl.h"
#include "ui/GdiHandles.h"
#include "ui/HighContrast.h"
#include "ui/WindowedControl.h"

#include <commctrl.h>
#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>

namespace ui {

Container::~Container() {
    for (GraphicControl* control : std::vector<GraphicControl*>(controls_)) control->SetParent(nullptr);
}

void Container::Attach(GraphicControl* control) {
    controls_.push_back(control);
}

void Container::Detach(GraphicControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (hovered_ == control) hovered_ = nullptr;
    if (pressed_ == control) pressed_ = nullptr;
}

void Container::BringToFront(GraphicControl* control) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end()) return;
    controls_.erase(it);
    controls_.push_back(control);
}

void Container::InvalidateRect(const RECT& rect) const {
    if (Handle()) ::InvalidateRect(Handle(), &rect, FALSE);
}

void Container::RepaintRect(const RECT& rect, GraphicControl* opaqueControl) {
    if (!Handle()) return;
    if (!opaqueControl) {
        RedrawWindow(Handle(), &rect, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return;
    }
    // An opaque control composes its own picture, so it may draw straight onto the window.
    if (!IsWindowVisible(Handle())) return;
    ScopedWindowDC dc(Handle());
    if (!dc) return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    SetViewportOrgEx(dc, rect.left, rect.top, nullptr);
    opaqueControl->Paint(dc);
    RestoreDC(dc, saved);
    ValidateRect(Handle(), &rect);
}

void Container::PaintContent(HDC dc, const RECT& area) {
    ScopedBrush background(CreateSolidBrush(HighContrastOn() ? GetSysColor(COLOR_WINDOW) : background_));
    FillRect(dc, &area, background);
    for (GraphicControl* control : controls_) {
        if (!control->Visible()) continue;
        RECT common{};
        if (!IntersectRect(&common, &area, &control->Bounds())) continue;
        const RECT& b = control->Bounds();
        const int saved = SaveDC(dc);
        POINT origin{};
        GetViewportOrgEx(dc, &origin);
        IntersectClipRect(dc, b.left, b.top, b.right, b.bottom);
        SetViewportOrgEx(dc, origin.x + b.left, origin.y + b.top, nullptr);
        control->Paint(dc);
        if (control->KeyboardFocused()) {
            const RECT focus{0, 0, control->Width(), control->Height()};
            DrawFocusRect(dc, &focus);
        }
        RestoreDC(dc, saved);
    }
}

const Container* Container::FromHandle(HWND hwnd) { return dynamic_cast<const Container*>(Window::FromHandle(hwnd)); }

long Container::AccessibleRole() const { return ROLE_SYSTEM_CLIENT; }

AccessibleItem Container::ItemFor(GraphicControl& control) const {
    AccessibleItem item;
    item.control = &control;
    item.role = control.AccessibleRole();
    item.name = control.AccessibleName();
    item.value = control.AccessibleValue();
    item.description = control.AccessibleDescription();
    item.screen = control.Bounds();
    MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&item.screen), 2);
    item.invisible = !control.Visible() || !IsWindowVisible(Handle());
    if (control.TabStop()) {
        item.focusable = true;
        item.focused = control.KeyboardFocused();
        item.focus = [&control] { control.FocusFromKeyboard(); };
    }
    if (control.OnClick) {
        item.defaultAction = item.role == ROLE_SYSTEM_LINK ? L"Jump" : L"Click";
        item.action = control.OnClick;
    }
    return item;
}

namespace {

// Top to bottom by lines, left to right within a line. An element starts a new line when its top
// lies below the middle of the line's first element, so a check box and the edit box beside it,
// a few pixels apart in height, are read in the order the eye reads them.
void SortInReadingOrder(std::vector<AccessibleItem>& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const AccessibleItem& a, const AccessibleItem& b) { return a.screen.top < b.screen.top; });
    auto line = items.begin();
    while (line != items.end()) {
        const LONG middle = line->screen.top + (line->screen.bottom - line->screen.top) / 2;
        auto end = std::find_if(line + 1, items.end(), [middle](const AccessibleItem& i) { return i.screen.top >= middle; });
        std::stable_sort(line, end,
                         [](const AccessibleItem& a, const AccessibleItem& b) { return a.screen.left < b.screen.left; });
        line = end;
    }
}

}  // namespace

std::vector<AccessibleItem> Container::AccessibleItems() const {
    std::vector<AccessibleItem> items;
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (FocusHolder::Is(child)) continue;
        AccessibleItem item;
        item.window = child;
        GetWindowRect(child, &item.screen);
        items.push_back(std::move(item));
    }
    for (GraphicControl* control : controls_) {
        if (control->AccessibleRole()) items.push_back(ItemFor(*control));
    }
    SortInReadingOrder(items);
    return items;
}

void Container::NotifyAccessible(const GraphicControl* control, DWORD event) const {
    if (!Handle()) return;
    const std::vector<AccessibleItem> items = AccessibleItems();
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].control == control) {
            NotifyAccessibleEvent(event, Handle(), static_cast<long>(i + 1));
            return;
        }
    }
}

void Container::OnPaint() {
    PAINTSTRUCT ps;
    const HDC screen = BeginPaint(Handle(), &ps);
    const RECT& area = ps.rcPaint;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width > 0 && height > 0) {
        // Composed off-screen so transparent labels over pictures never flicker.
        ScopedMemoryDC memory(screen);
        ScopedBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
        if (memory && bitmap) {
            ScopedSelect select(memory, bitmap);
            SetViewportOrgEx(memory, -area.left, -area.top, nullptr);
            PaintContent(memory, area);
            SetViewportOrgEx(memory, 0, 0, nullptr);
            BitBlt(screen, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
        }
    }
    EndPaint(Handle(), &ps);
}

GraphicControl* Container::ControlAt(int x, int y) const {
    const POINT pt{x, y};
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        GraphicControl* control = *it;
        if (control->Visible() && control->HandlesMouse() && PtInRect(&control->Bounds(), pt)) return control;
    }
    return nullptr;
}

void Container::SetHovered(GraphicControl* control) {
    if (hovered_ == control) return;
    GraphicControl* previous = hovered_;
    hovered_ = control;
    if (previous && previous->OnMouseLeave) previous->OnMouseLeave();
    if (hovered_ && hovered_->OnMouseEnter) hovered_->OnMouseEnter();
    UpdateTooltip();
}

void Container::UpdateTooltip() {
    const std::wstring text = hovered_ ? hovered_->Hint() : std::wstring();
    if (text.empty()) {
        if (tooltip_) SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
        return;
    }
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                   ModuleInstance(), nullptr);
        if (!tooltip_) return;
        TOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.uFlags = TTF_SUBCLASS;
        info.hwnd = Handle();
        info.uId = 1;
        info.rect = ClientRect();
        info.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = Handle();
    info.uId = 1;
    info.rect = hovered_->Bounds();
    SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

void Container::OnMouseMove(int x, int y) {
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    SetHovered(ControlAt(x, y));
}

void Container::OnMouseLeave() {
    trackingLeave_ = false;
    SetHovered(nullptr);
}

void Container::OnLeftButtonDown(int x, int y) {
    pressed_ = ControlAt(x, y);
}

void Container::OnLeftButtonUp(int x, int y) {
    GraphicControl* pressed = pressed_;
    pressed_ = nullptr;
    if (pressed && pressed == ControlAt(x, y) && pressed->OnClick) pressed->OnClick();
}

bool Container::OnSetCursor() {
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(Handle(), &pt);
    GraphicControl* control = ControlAt(pt.x, pt.y);
    if (!control || !control->Cursor()) return false;
    ::SetCursor(LoadCursorW(nullptr, control->Cursor()));
    return true;
}

WindowedControl* Container::FromChild(HWND child) {
    return child ? WindowedControl::FromHandle(child) : nullptr;
}

LRESULT Container::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLeftButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLeftButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Handle() && LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
        break;
    case WM_COMMAND:
        if (WindowedControl* control = FromChild(reinterpret_cast<HWND>(lParam))) {
            control->OnCommand(HIWORD(wParam));
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (WindowedControl* control = FromChild(header->hwndFrom)) return control->OnNotify(header);
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (WindowedControl* control = FromChild(reinterpret_cast<HWND>(lParam))) {
            if (HBRUSH brush = control->OnCtlColor(reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(brush);
        }
        break;
    case WM_VSCROLL:
    case WM_HSCROLL:
        if (WindowedControl* control = FromChild(reinterpret_cast<HWND>(lParam))) {
            control->OnScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
            return 0;
        }
        break;
    case WM_GETOBJECT:
        if (const LRESULT object = AnswerGetObject(Handle(), wParam, lParam, &Container::Source)) return object;
        break;
    case WM_NCDESTROY:
        tooltip_ = nullptr;
        break;
    default:
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

}  // namespace ui
