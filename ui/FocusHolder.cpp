#include "ui/FocusHolder.h"

#include "ui/Container.h"
#include "ui/GraphicControl.h"

#include <oleacc.h>

#include <functional>

namespace ui {

namespace {
const wchar_t kHolderClass[] = L"TonalixFocusHolder";
}

bool FocusHolder::Is(HWND hwnd) {
    wchar_t name[32] = {};
    return GetClassNameW(hwnd, name, 32) > 0 && lstrcmpW(name, kHolderClass) == 0;
}

void FocusHolder::Follow() {
    Container* parent = control_.Parent();
    const HWND container = parent ? parent->Handle() : nullptr;
    if (!container) {
        if (Handle()) Hide();
        return;
    }
    const RECT& b = control_.Bounds();
    if (!Handle()) {
        WindowClass cls;
        cls.name = kHolderClass;
        CreateArgs args;
        args.style = WS_CHILD | WS_TABSTOP;
        args.x = b.left;
        args.y = b.top;
        args.width = 0;
        args.height = 0;
        args.parent = container;
        if (!CreateHandle(cls, args)) return;
        SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else if (GetParent(Handle()) != container) {
        SetParent(Handle(), container);
        SetWindowPos(Handle(), HWND_BOTTOM, b.left, b.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
    const bool visible = control_.Visible();
    if (visible != ((GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0)) Show(visible ? SW_SHOWNA : SW_HIDE);
}

void FocusHolder::Focus() const {
    if (Handle()) SetFocus(Handle());
}

void FocusHolder::OnFocusChange(bool) { control_.Invalidate(); }

long FocusHolder::AccessibleRole() const { return control_.AccessibleRole(); }

std::wstring FocusHolder::AccessibleName() const { return control_.AccessibleName(); }

bool FocusHolder::SelfItem(AccessibleItem& item) const {
    Container* parent = control_.Parent();
    if (!parent) return false;
    item = parent->ItemFor(control_);
    return true;
}

namespace {
const AccessibleSource* HolderSource(HWND hwnd) { return dynamic_cast<const FocusHolder*>(Window::FromHandle(hwnd)); }
}  // namespace

UINT FocusHolder::OnGetDlgCode(const MSG* message) const {
    // Enter must reach the holder rather than press the dialog's default button; Tab and the
    // arrows stay with the dialog navigation.
    if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN) return DLGC_WANTALLKEYS;
    return 0;
}

void FocusHolder::OnKeyDown(WPARAM key) const {
    if (key != VK_RETURN && key != VK_SPACE) return;
    // A copy: the click may move the control or destroy this holder.
    const std::function<void()> click = control_.OnClick;
    if (click) click();
}

LRESULT FocusHolder::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        OnFocusChange(true);
        return 0;
    case WM_KILLFOCUS:
        OnFocusChange(false);
        return 0;
    case WM_GETDLGCODE:
        return OnGetDlgCode(reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_GETOBJECT:
        if (const LRESULT object = AnswerGetObject(Handle(), wParam, lParam, &HolderSource)) return object;
        return DefaultHandling(message, wParam, lParam);
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

}  // namespace ui
