#include "components/CoolTrayIcon.h"

#include "components/TrayIconHandler.h"

#include <algorithm>
#include <cstring>

namespace {

// NIF_MESSAGE | NIF_ICON | NIF_TIP; NIF_INFO is added only while a balloon is requested.
constexpr UINT kEntryFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

BOOL RealShell(DWORD message, TNotifyIconDataEx* data) {
    NOTIFYICONDATAW full{};
    std::memcpy(&full, data, sizeof(*data));  // cbSize stays 936: the shell reads no further
    return Shell_NotifyIconW(message, &full);
}

// Copies at most N - 1 characters and a terminating zero, never splitting a surrogate pair.
template <size_t N>
void CopyCut(WCHAR (&target)[N], const std::wstring& text) {
    std::fill(std::begin(target), std::end(target), L'\0');
    size_t length = std::min(text.size(), N - 1);
    if (length < text.size() && length > 0 && IS_HIGH_SURROGATE(text[length - 1])) --length;
    std::copy_n(text.begin(), length, target);
}

DWORD InfoFlags(TBalloonHintIcon iconType) {
    switch (iconType) {
    case TBalloonHintIcon::bitInfo: return NIIF_INFO;
    case TBalloonHintIcon::bitWarning: return NIIF_WARNING;
    case TBalloonHintIcon::bitError: return NIIF_ERROR;
    case TBalloonHintIcon::bitCustom: return NIIF_USER;
    case TBalloonHintIcon::bitNone: break;
    }
    return NIIF_NONE;
}

}  // namespace

TCoolTrayIcon::TCoolTrayIcon(HWND owner, ShellNotifyFunction shell)
    : FIconID(TTrayIconHandler::Add(this)),
      owner_(owner),
      shell_(shell ? std::move(shell) : ShellNotifyFunction(RealShell)),
      CycleTimer(1000, [this](TSimpleTimer&) { OnCycleTick(); }),
      ClickTimer(1000, [this](TSimpleTimer&) { OnClickTick(); }) {
    IconData.cbSize = sizeof(IconData);
    IconData.hWnd = TTrayIconHandler::WindowHandle();
    IconData.uID = FIconID;
    IconData.uFlags = kEntryFlags;
    IconData.uCallbackMessage = TrayCallbackMessage;
    if (owner_ && IsWindow(owner_)) {
        subclassed_ = SetWindowSubclass(owner_, &TCoolTrayIcon::OwnerSubclassProc, FIconID, 0) != FALSE;
    }
}

TCoolTrayIcon::~TCoolTrayIcon() {
    SetIconVisible(false);
    CycleTimer.SetEnabled(false);
    ClickTimer.SetEnabled(false);
    if (subclassed_) RemoveWindowSubclass(owner_, &TCoolTrayIcon::OwnerSubclassProc, FIconID);
    TTrayIconHandler::Remove(FIconID);
}

HWND TCoolTrayIcon::CallbackWindow() { return TTrayIconHandler::WindowHandle(); }

UINT TCoolTrayIcon::TaskbarCreatedMessage() { return TTrayIconHandler::TaskbarCreatedMessage(); }

// ---- Entry maintenance ----

void TCoolTrayIcon::PrepareIconData() {
    IconData.hIcon = shownIcon_;
    if (!FHint.empty() && FShowHint) {
        CopyCut(IconData.szTip, FHint);
    } else {
        std::fill(std::begin(IconData.szTip), std::end(IconData.szTip), L'\0');
    }
}

bool TCoolTrayIcon::Notify(DWORD message) {
    PrepareIconData();
    return shell_(message, &IconData) != FALSE;
}

bool TCoolTrayIcon::AddTrayEntry() {
    FIconVisible = true;
    return Notify(NIM_ADD);
}

bool TCoolTrayIcon::DeleteTrayEntry() {
    FIconVisible = false;
    return Notify(NIM_DELETE);
}

bool TCoolTrayIcon::UpdateTrayEntry() { return Notify(NIM_MODIFY); }

bool TCoolTrayIcon::Refresh() { return UpdateTrayEntry(); }

// Refusals of the shell have no consequence: the next change sends the whole record again.
void TCoolTrayIcon::SetIconVisible(bool visible) {
    if (visible) {
        (void)AddTrayEntry();
    } else {
        (void)DeleteTrayEntry();
    }
}

void TCoolTrayIcon::SetIcon(HICON icon) {
    FIcon.Reset(icon ? CopyIcon(icon) : nullptr);
    shownIcon_ = FIcon.Get();
    (void)UpdateTrayEntry();
}

void TCoolTrayIcon::SetHint(const std::wstring& hint) {
    FHint = hint;
    (void)UpdateTrayEntry();
}

void TCoolTrayIcon::SetShowHint(bool show) {
    FShowHint = show;
    (void)UpdateTrayEntry();
}

// ---- Image index and cycling ----

void TCoolTrayIcon::SetIconList(HIMAGELIST list) {
    if (list != FIconList) ForgetFrames();
    FIconList = list;
    SetIconIndex(0);
}

void TCoolTrayIcon::ForgetFrames() {
    for (ui::ScopedIcon& frame : frameIcons_) {
        if (frame && frame.Get() == shownIcon_) FIcon = std::move(frame);
    }
    frameIcons_.clear();
}

void TCoolTrayIcon::SetIconIndex(int index) {
    FIconIndex = 0;
    const int count = FIconList ? ImageList_GetImageCount(FIconList) : 0;
    if (count > 0) {
        FIconIndex = std::clamp(index, 0, count - 1);
        // A frame that cannot be read leaves the entry without an icon; tooltip and clicks still work.
        if (frameIcons_.size() != static_cast<size_t>(count)) frameIcons_.resize(static_cast<size_t>(count));
        ui::ScopedIcon& frame = frameIcons_[static_cast<size_t>(FIconIndex)];
        if (!frame) frame.Reset(ImageList_GetIcon(FIconList, FIconIndex, ILD_NORMAL));
        shownIcon_ = frame.Get();
    }
    (void)UpdateTrayEntry();
}

void TCoolTrayIcon::SetCycleIcons(bool cycle) {
    FCycleIcons = cycle;
    if (cycle) {
        SetIconIndex(0);
        CycleTimer.SetInterval(FCycleInterval);
        CycleTimer.SetEnabled(true);  // restarts the period even when already running
    } else {
        CycleTimer.SetEnabled(false);
    }
}

void TCoolTrayIcon::SetCycleInterval(UINT milliseconds) {
    if (milliseconds == FCycleInterval) return;
    FCycleInterval = milliseconds;
    SetCycleIcons(FCycleIcons);
}

void TCoolTrayIcon::OnCycleTick() {
    if (!FIconList) return;
    const int count = ImageList_GetImageCount(FIconList);
    SetIconIndex(FIconIndex < count - 1 ? FIconIndex + 1 : 0);
}

// ---- Balloon hints ----

bool TCoolTrayIcon::HideBalloonHint() {
    IconData.uFlags |= NIF_INFO;
    std::fill(std::begin(IconData.szInfo), std::end(IconData.szInfo), L'\0');
    const bool accepted = UpdateTrayEntry();
    IconData.uFlags = kEntryFlags;
    return accepted;
}

bool TCoolTrayIcon::ShowBalloonHint(const std::wstring& title, const std::wstring& text, TBalloonHintIcon iconType,
                                    TBalloonHintTimeOut timeoutSecs) {
    (void)HideBalloonHint();  // a balloon still on screen goes first
    IconData.uFlags |= NIF_INFO;
    CopyCut(IconData.szInfo, text);
    CopyCut(IconData.szInfoTitle, title);
    IconData.TimeoutOrVersion = std::clamp<UINT>(timeoutSecs, 10, 60) * 1000;
    IconData.dwInfoFlags = InfoFlags(iconType);
    const bool accepted = UpdateTrayEntry();
    // Later updates (animation, hint) must not bring the balloon back.
    IconData.uFlags = kEntryFlags;
    return accepted;
}

// ---- Callbacks ----

bool TCoolTrayIcon::Alive() const { return TTrayIconHandler::Find(FIconID) == this; }

bool TCoolTrayIcon::Raise(const NotifyEvent& event) const {
    if (!event) return true;
    const UINT id = FIconID;
    const NotifyEvent handler = event;  // the handler may destroy this icon and its members
    handler();
    return TTrayIconHandler::Find(id) != nullptr;
}

void TCoolTrayIcon::OnTaskbarCreated() {
    if (FIconVisible) (void)AddTrayEntry();
}

void TCoolTrayIcon::HandleIconMessage(UINT event) {
    switch (event) {
    case NIN_BALLOONSHOW: Raise(OnBalloonHintShow); return;
    case NIN_BALLOONHIDE: Raise(OnBalloonHintHide); return;
    case NIN_BALLOONTIMEOUT: Raise(OnBalloonHintTimeout); return;
    case NIN_BALLOONUSERCLICK: Raise(OnBalloonHintClick); return;
    default: break;
    }
    if (!FEnabled) return;
    switch (event) {
    case WM_LBUTTONDOWN: OnLeftButtonDown(); break;
    case WM_LBUTTONUP: OnLeftButtonUp(); break;
    case WM_LBUTTONDBLCLK: OnLeftButtonDoubleClick(); break;
    case WM_RBUTTONDOWN: OnRightButtonDown(); break;
    // From the keyboard (Win+B, the arrows, then Enter, Space or the menu key) the shell sends
    // these instead of button messages: the menu is the way to everything the icon offers.
    case NIN_KEYSELECT:
    case WM_CONTEXTMENU: OnKeyboardMenu(); break;
    default: break;
    }
}

void TCoolTrayIcon::OnKeyboardMenu() {
    if (FPopupMenu) PopupAtCursor();
}

void TCoolTrayIcon::OnLeftButtonDown() {
    if (OnDblClick) {
        // A release before this runs out is a click only if no double click follows.
        ClickTimer.SetInterval(GetDoubleClickTime());
        ClickTimer.SetEnabled(true);
    }
    FClickStart = true;
}

void TCoolTrayIcon::OnLeftButtonUp() {
    if (FClickStart) {
        FClickReady = true;
        if (!ClickTimer.Enabled()) {
            FClickStart = false;
            FClickReady = false;
            PerformClick();
            return;
        }
    }
    FClickStart = false;
}

void TCoolTrayIcon::OnLeftButtonDoubleClick() {
    FClickReady = false;
    IsDblClick = true;
    if (!Raise(OnDblClick)) return;
    if (FPopupMenu && !FLeftPopup) ClickDefaultMenuItem();
}

void TCoolTrayIcon::OnRightButtonDown() {
    if (FPopupMenu) PopupAtCursor();
}

void TCoolTrayIcon::OnClickTick() {
    ClickTimer.SetEnabled(false);
    const bool click = !IsDblClick && FClickReady;
    IsDblClick = false;
    if (!click) return;
    FClickReady = false;
    PerformClick();
}

void TCoolTrayIcon::PerformClick() {
    if (FLeftPopup && FPopupMenu) {
        PopupAtCursor();
        if (!Alive()) return;
    }
    Raise(OnClick);
}

// ---- Popup menu ----

HWND TCoolTrayIcon::MenuOwner() const {
    return owner_ && IsWindow(owner_) ? owner_ : TTrayIconHandler::WindowHandle();
}

void TCoolTrayIcon::PopupAtCursor() {
    POINT cursor{};
    GetCursorPos(&cursor);
    Popup(cursor.x, cursor.y);
}

void TCoolTrayIcon::Popup(int x, int y) {
    const HWND window = TTrayIconHandler::WindowHandle();
    if (!FPopupMenu || !window) return;
    const HWND owner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
    // The hidden window, not the owner, comes forward and owns the menu, so a visible main window
    // stays where it is. Without the foreground the menu would not close when the user clicks
    // elsewhere, and without the WM_NULL afterwards the next opening would close at once.
    SetForegroundWindow(window);
    TTrayIconHandler::SetPopupIcon(FIconID);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        FPopupMenu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, window, nullptr));
    TTrayIconHandler::SetPopupIcon(0);
    if (IsWindow(window)) PostMessageW(window, WM_NULL, 0, 0);
    // The chosen item reaches the owner the way a menu of its own would have sent it.
    if (command && owner && IsWindow(owner)) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void TCoolTrayIcon::ClickDefaultMenuItem() const {
    const UINT command = GetMenuDefaultItem(FPopupMenu, FALSE, 0);
    if (command != static_cast<UINT>(-1)) PostMessageW(MenuOwner(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

// ---- Owner window ----

LRESULT CALLBACK TCoolTrayIcon::OwnerSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                 UINT_PTR subclassId, DWORD_PTR) {
    // An explicit show (not a parent opening) also brings the window forward.
    if (message == WM_SHOWWINDOW && wParam == TRUE && lParam == 0) SetForegroundWindow(hwnd);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &TCoolTrayIcon::OwnerSubclassProc, subclassId);
        if (TCoolTrayIcon* icon = TTrayIconHandler::Find(static_cast<UINT>(subclassId))) icon->subclassed_ = false;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
