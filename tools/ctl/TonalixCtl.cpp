// A small command-line tool for scripts: waits for the running client's window and sends it the
// show or close request.   tonalixctl wait [seconds] | show | close | running
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

const wchar_t kMainWindowClass[] = L"TPelkoMainForm";
constexpr UINT kShowRequest = WM_USER + 98;
constexpr UINT kCloseRequest = WM_USER + 99;

HWND WaitForWindow(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindWindowW(kMainWindowClass, nullptr)) return window;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: tonalixctl wait [seconds] | show | close | running\n", stderr);
        return 2;
    }
    const wchar_t* command = argv[1];
    if (std::wcscmp(command, L"wait") == 0) {
        const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 30;
        return WaitForWindow(seconds * 1000) ? 0 : 1;
    }
    if (std::wcscmp(command, L"running") == 0) return FindWindowW(kMainWindowClass, nullptr) ? 0 : 1;
    const HWND window = FindWindowW(kMainWindowClass, nullptr);
    if (!window) return 1;
    if (std::wcscmp(command, L"show") == 0) return PostMessageW(window, kShowRequest, 0, 0) ? 0 : 1;
    if (std::wcscmp(command, L"close") == 0) {
        if (!PostMessageW(window, kCloseRequest, 0, 0)) return 1;
        // Wait for the program to leave so callers can rely on it being gone.
        for (int i = 0; i < 200 && IsWindow(window); ++i) Sleep(50);
        return IsWindow(window) ? 1 : 0;
    }
    return 2;
}
