// A window that only receives what is sent or posted to it: never shown, no broadcasts.
#pragma once

#include "ui/Window.h"

namespace ui {

class MessageWindow : public Window {
protected:
    // Registers `className` on first use and creates the window.
    [[nodiscard]] bool CreateMessageWindow(const wchar_t* className) {
        WindowClass cls;
        cls.name = className;
        cls.style = 0;
        CreateArgs args;
        args.style = 0;
        args.parent = HWND_MESSAGE;
        return CreateHandle(cls, args);
    }
};

}  // namespace ui
