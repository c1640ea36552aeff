// One element a screen reader finds in a window: a child window, or something the window draws.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class GraphicControl;

struct AccessibleItem {
    // A child window answers for itself; the fields below are then unused.
    HWND window = nullptr;
    // The windowless control the element stands for, if any (events find their element by it).
    const GraphicControl* control = nullptr;
    long role = 0;  // ROLE_SYSTEM_*
    std::wstring name;
    std::wstring value;
    std::wstring description;
    std::wstring defaultAction;
    std::function<void()> action;  // runs the default action
    RECT screen{};                 // location in screen coordinates
    bool invisible = false;
    bool focusable = false;
    bool focused = false;
    std::function<void()> focus;  // moves the keyboard focus to the element
};

}  // namespace ui
