// The floor of the start-up, memory, handle and idle figures: the least a Windows program with one
// window can be. With "/timer" it wakes every 300 ms, as often as the animated notification-area
// icon changes frame, and does nothing else; with "/icon" it also adds a notification-area icon
// before its window shows, as the client does.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMs = 300;
constexpr UINT kIconId = 1;

// Loaded only for "/icon": the plain floor must not pay for the shell's library.
using NotifyIcon = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
NotifyIcon notifyIcon = nullptr;

void Notify(HWND window, DWORD message) {
    if (!notifyIcon) return;
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = kIconId;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(icon.szTip, L"Floor", ARRAYSIZE(icon.szTip));
    notifyIcon(message, &icon);
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        return 0;
    case WM_DESTROY:
        Notify(window, NIM_DELETE);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = FloorProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = L"TonalixBenchFloor";
    if (!RegisterClassW(&cls)) return 1;
    // The main window's size and place.
    const HWND window = CreateWindowW(cls.lpszClassName, L"Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 33, 0,
                                      214, 250, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    if (std::wcsstr(commandLine, L"/icon")) {
        if (const HMODULE shell = LoadLibraryW(L"shell32.dll"))
            notifyIcon = reinterpret_cast<NotifyIcon>(GetProcAddress(shell, "Shell_NotifyIconW"));
        Notify(window, NIM_ADD);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    if (std::wcsstr(commandLine, L"/timer")) SetTimer(window, kTimerId, kTimerMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
