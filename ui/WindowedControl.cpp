#include "ui/WindowedControl.h"

#include "ui/GdiHandles.h"
#include "ui/AccessibleObject.h"
#include "ui/Window.h"

#include <commctrl.h>

namespace ui {

namespace {
const wchar_t kControlProperty[] = L"Tonalix.Control";
const UINT_PTR kSubclassId = 1;

int NextControlId() {
    // Identifiers start above IDOK/IDCANCEL, so Enter and Escape never "press" a control by accident.
    static int next = 1000;
    return next++;
}
}  // namespace

WindowedControl::~WindowedControl() {
    if (!hwnd_) return;
    if (subclassed_) RemoveWindowSubclass(hwnd_, &WindowedControl::SubclassProc, kSubclassId);
    RemovePropW(hwnd_, kControlProperty);
    DestroyWindow(hwnd_);
}

WindowedControl* WindowedControl::FromHandle(HWND hwnd) {
    return static_cast<WindowedControl*>(GetPropW(hwnd, kControlProperty));
}

bool WindowedControl::CreateControl(HWND parent, const wchar_t* className, const ControlArgs& args) {
    hwnd_ = CreateWindowExW(args.exStyle, className, args.text, WS_CHILD | WS_VISIBLE | args.style, args.left, args.top,
                            args.width, args.height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())), ModuleInstance(), nullptr);
    if (!hwnd_) return false;
    SetPropW(hwnd_, kControlProperty, this);
    if (args.font) SetFont(args.font);
    return true;
}

void WindowedControl::Subclass() {
    if (hwnd_ && !subclassed_)
        subclassed_ = SetWindowSubclass(hwnd_, &WindowedControl::SubclassProc, kSubclassId,
                                        reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CALLBACK WindowedControl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR data) {
    auto* self = reinterpret_cast<WindowedControl*>(data);
    if (message == WM_GETOBJECT && !self->accessibleName_.empty()) {
        if (const LRESULT object = AnswerNamedStandardObject(hwnd, wParam, lParam, self->accessibleName_)) return object;
    }
    try {
        LRESULT result = 0;
        if (self->OnControlMessage(message, wParam, lParam, result)) return result;
    } catch (...) {
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void WindowedControl::SetAccessibleName(const std::wstring& name) {
    accessibleName_ = name;
    Subclass();
}

std::wstring WindowedControl::Text() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

int WindowedControl::TextWidth() const {
    const std::wstring text = Text();
    const ScopedWindowDC dc(hwnd_);
    if (!dc || text.empty()) return 0;
    const ScopedSelect font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void WindowedControl::SetBounds(int left, int top, int width, int height) const {
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT WindowedControl::Bounds() const {
    RECT rc{};
    GetWindowRect(hwnd_, &rc);
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

}  // namespace ui
