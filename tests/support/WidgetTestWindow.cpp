#include "WidgetTestWindow.h"

namespace widget_test {

void PumpMessagesFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

bool MenuOwnerWindow::Create() {
    ui::WindowClass cls;
    cls.name = L"WidgetTestMenuOwner";
    ui::CreateArgs args;
    args.style = WS_OVERLAPPEDWINDOW;
    args.x = 400;
    args.y = 100;
    args.width = 200;
    args.height = 100;
    args.title = L"Menu owner";
    return CreateHandle(cls, args);
}

LRESULT MenuOwnerWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITMENUPOPUP:
        ++menuOpenings;
        lastMenuOpenedAt = GetTickCount();
        actedOnMenu_ = false;
        break;
    case WM_ENTERIDLE:
        // The menu loop is waiting for input: the menu is on screen.
        if (wParam == MSGF_MENU && !actedOnMenu_) OnMenuIdle(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_COMMAND:
        commands.push_back(LOWORD(wParam));
        return 0;
    default:
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

void MenuOwnerWindow::OnMenuIdle(HWND menuWindow) {
    actedOnMenu_ = true;
    if (menuWindow) GetWindowRect(menuWindow, &lastMenuRect);
    if (menuAction == MenuAction::Leave) return;
    if (menuAction == MenuAction::Close) {
        EndMenu();
        return;
    }
    // The menu loop takes keyboard input from the thread's queue.
    PostMessageW(Handle(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(Handle(), WM_KEYDOWN, VK_RETURN, 0);
}

bool TestForm::Create(int width, int height) {
    ui::WindowClass cls;
    cls.name = L"WidgetTestForm";
    ui::CreateArgs args;
    args.style = WS_POPUP | WS_BORDER;
    args.x = 50;
    args.y = 300;
    args.width = width;
    args.height = height;
    args.title = L"Widget test";
    if (!CreateHandle(cls, args)) return false;
    SetClientSize(width, height);
    Show(SW_SHOWNOACTIVATE);
    UpdateWindow(Handle());
    return true;
}

HMENU MakeTestMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 101, L"Open");
    AppendMenuW(menu, MF_STRING, 102, L"Exit");
    return menu;
}

}  // namespace widget_test
