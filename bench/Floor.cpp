// The floor of the start-up, memory, handle and idle figures: the least a Windows program with one
// window can be. With "/timer" it wakes every 300 ms, as often as the animated notification-area
// icon changes frame, and does nothing else.
#include <windows.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerMs = 300;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        return 0;
    case WM_DESTROY:
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
