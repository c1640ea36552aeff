// One icon in the notification area: added, updated and removed through the shell, animated from
// an image list, with a tooltip, balloon hints, single/double click discrimination and a popup menu.
#pragma once

#include "components/SimpleTimer.h"
#include "ui/GdiHandles.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The shell's callbacks reach the shared handler window with this message: wParam is the icon's
// identifier, lParam the mouse message or NIN_* notification.
constexpr UINT TrayCallbackMessage = WM_USER + 1024;

// The shell's icon record in its 936-byte layout (the one every shell since 2000 accepts).
struct TNotifyIconDataEx {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    UINT TimeoutOrVersion;  // uTimeout of a balloon (ms), or uVersion for NIM_SETVERSION
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
};
static_assert(offsetof(TNotifyIconDataEx, szTip) == offsetof(NOTIFYICONDATAW, szTip), "record layout");
static_assert(offsetof(TNotifyIconDataEx, szInfo) == offsetof(NOTIFYICONDATAW, szInfo), "record layout");
static_assert(offsetof(TNotifyIconDataEx, szInfoTitle) == offsetof(NOTIFYICONDATAW, szInfoTitle), "record layout");
static_assert(offsetof(TNotifyIconDataEx, dwInfoFlags) == offsetof(NOTIFYICONDATAW, dwInfoFlags), "record layout");
#if !defined(_WIN64)
static_assert(sizeof(TNotifyIconDataEx) == 936, "the 32-bit record is 936 bytes");
#endif

// Shell_NotifyIconW, or a stand-in that records what the shell would be told.
using ShellNotifyFunction = std::function<BOOL(DWORD message, TNotifyIconDataEx* data)>;

enum class TBalloonHintIcon { bitNone, bitInfo, bitWarning, bitError, bitCustom };
// Seconds a balloon is asked to stay, 10..60 (values outside are limited to it).
using TBalloonHintTimeOut = uint8_t;

class TCoolTrayIcon {
public:
    using NotifyEvent = std::function<void()>;

    // `owner` (may be null) receives the popup menu's commands and is brought to the foreground
    // whenever it is explicitly shown. `shell` defaults to the real shell.
    explicit TCoolTrayIcon(HWND owner, ShellNotifyFunction shell = nullptr);
    ~TCoolTrayIcon();
    TCoolTrayIcon(const TCoolTrayIcon&) = delete;
    TCoolTrayIcon& operator=(const TCoolTrayIcon&) = delete;

    // True adds the entry, false removes it.
    bool IconVisible() const { return FIconVisible; }
    void SetIconVisible(bool visible);
    // The icon keeps its own copy of `icon` (null: no icon).
    HICON Icon() const { return shownIcon_; }
    void SetIcon(HICON icon);
    // The tooltip; the shell is given its first 127 characters.
    const std::wstring& Hint() const { return FHint; }
    void SetHint(const std::wstring& hint);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool show);

    // Frames to show by index and to cycle through; not owned and not changed while assigned:
    // clear it before destroying or changing the list.
    HIMAGELIST IconList() const { return FIconList; }
    void SetIconList(HIMAGELIST list);
    // Limited to the list's last frame; always 0 without a list.
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int index);
    // True (re)starts the animation at frame 0 with a fresh period; false keeps the frame shown.
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleIcons(bool cycle);
    // Milliseconds per frame; 0 shows frame 0 without animating.
    UINT CycleInterval() const { return FCycleInterval; }
    void SetCycleInterval(UINT milliseconds);

    // A popup submenu (not owned) opened by a right press, and by a single left click with LeftPopup.
    HMENU PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(HMENU menu) { FPopupMenu = menu; }
    bool LeftPopup() const { return FLeftPopup; }
    void SetLeftPopup(bool leftPopup) { FLeftPopup = leftPopup; }
    // False ignores the mouse; balloon notifications still arrive.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled) { FEnabled = enabled; }

    // Text cut to 255 characters and title to 63. Returns whether the shell accepted the request.
    [[nodiscard]] bool ShowBalloonHint(const std::wstring& title, const std::wstring& text, TBalloonHintIcon iconType,
                                       TBalloonHintTimeOut timeoutSecs);
    [[nodiscard]] bool HideBalloonHint();
    // Shows the popup menu at a screen position; returns when the menu has closed.
    void Popup(int x, int y);
    void PopupAtCursor();
    // Sends the whole record to the shell again.
    [[nodiscard]] bool Refresh();

    // A single click: with a double-click handler it is reported after the double-click time.
    NotifyEvent OnClick;
    NotifyEvent OnDblClick;
    NotifyEvent OnBalloonHintShow;
    NotifyEvent OnBalloonHintHide;
    NotifyEvent OnBalloonHintTimeout;
    NotifyEvent OnBalloonHintClick;

    // The identifier the shell returns with each callback.
    UINT Id() const { return FIconID; }
    // The shared window the shell's callbacks are sent to (null while no icon exists).
    static HWND CallbackWindow();
    static UINT TaskbarCreatedMessage();

private:
    friend class TTrayIconHandler;

    // Each sends the whole record; the result is whether the shell accepted it.
    [[nodiscard]] bool AddTrayEntry();
    [[nodiscard]] bool DeleteTrayEntry();
    [[nodiscard]] bool UpdateTrayEntry();
    [[nodiscard]] bool Notify(DWORD message);
    void PrepareIconData();
    // Drops the frames made from the list; the one on show is kept as the icon's own copy.
    void ForgetFrames();

    // Callbacks from the shared window.
    void HandleIconMessage(UINT event);
    void OnTaskbarCreated();
    void OnLeftButtonDown();
    void OnLeftButtonUp();
    void OnLeftButtonDoubleClick();
    void OnRightButtonDown();
    void OnKeyboardMenu();
    void OnCycleTick();
    void OnClickTick();
    void PerformClick();
    void ClickDefaultMenuItem() const;
    HWND MenuOwner() const;
    // Runs a handler; false when the handler destroyed this icon.
    bool Raise(const NotifyEvent& event) const;
    bool Alive() const;

    static LRESULT CALLBACK OwnerSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR subclassId, DWORD_PTR refData);

    const UINT FIconID;
    HWND owner_;
    ShellNotifyFunction shell_;
    bool subclassed_ = false;

    bool FEnabled = true;
    ui::ScopedIcon FIcon;        // the copy of the icon given to SetIcon
    HICON shownIcon_ = nullptr;  // FIcon, or a frame of the image list
    // The list's frames as icons, each made once: a cycling tick draws nothing.
    std::vector<ui::ScopedIcon> frameIcons_;
    bool FIconVisible = false;
    std::wstring FHint;
    bool FShowHint = true;
    HMENU FPopupMenu = nullptr;
    bool FLeftPopup = false;
    bool FClickStart = false;
    bool FClickReady = false;
    bool IsDblClick = false;
    int FIconIndex = 0;
    HIMAGELIST FIconList = nullptr;
    bool FCycleIcons = false;
    UINT FCycleInterval = 0;
    TNotifyIconDataEx IconData{};
    TSimpleTimer CycleTimer;
    TSimpleTimer ClickTimer;
};
