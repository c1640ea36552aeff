// Windows and message pumping for the widget tests: an owner window that sees the tray icon's
// popup menu open (and closes or uses it), and a form to place windowless controls on.
#pragma once

#include "ui/Form.h"
#include "ui/Window.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace widget_test {

// Dispatches messages for `milliseconds`.
void PumpMessagesFor(DWORD milliseconds);
// Dispatches messages until `done` holds or `timeoutMs` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

class MenuOwnerWindow : public ui::Window {
public:
    // What the window does once the menu is on screen; Leave keeps it open for a person.
    enum class MenuAction { Close, ChooseFirstItem, Leave };

    [[nodiscard]] bool Create();

    MenuAction menuAction = MenuAction::Close;
    int menuOpenings = 0;
    DWORD lastMenuOpenedAt = 0;   // GetTickCount when the menu last opened
    RECT lastMenuRect{};          // the menu's screen rectangle
    std::vector<UINT> commands;   // WM_COMMAND identifiers received

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnMenuIdle(HWND menuWindow);
    bool actedOnMenu_ = false;
};

// A top-level form shown without activation, for painting windowless controls.
class TestForm : public ui::Form {
public:
    [[nodiscard]] bool Create(int width, int height);
};

// A popup menu with items 101 "Open", 102 "Exit".
HMENU MakeTestMenu();

}  // namespace widget_test
