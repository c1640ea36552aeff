// The options dialog: music folders or iTunes, upload limit, start at logon, automatic log-in.
#pragma once

#include "ui/Form.h"

#include <memory>

class TOptionsForm : public ui::Form {
public:
    [[nodiscard]] bool Create(HWND mainWindow);
    // Selects the page (0 "My Music", 1 "Settings") and shows the dialog modally.
    void ShowModalOnPage(int pageIndex);
};

extern std::unique_ptr<TOptionsForm> OptionsForm;

// Offers the options dialog on a first start without any music source; runs once, when idle.
void FirstRunPrompt();
