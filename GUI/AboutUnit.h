// The borderless, per-pixel translucent About window.
#pragma once

#include "ui/Form.h"

#include <memory>

class TAboutForm : public ui::Form {
public:
    [[nodiscard]] bool Create(HWND mainWindow);
    void ShowAbout();
};

extern std::unique_ptr<TAboutForm> AboutForm;
