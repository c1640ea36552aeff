// Push button, check box and radio button.
#pragma once

#include "ui/WindowedControl.h"

#include <functional>

namespace ui {

class Button : public WindowedControl {
public:
    [[nodiscard]] bool Create(HWND parent, const ControlArgs& args);
    // Runs the click handler as a user click would, when the button is enabled.
    void Click();
    std::function<void()> OnClick;
    void OnCommand(WORD notification) override;
};

class CheckBox : public Button {
public:
    [[nodiscard]] bool Create(HWND parent, const ControlArgs& args);
    bool Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetChecked(bool checked) const { SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }
};

class RadioButton : public CheckBox {
public:
    // `firstOfGroup` starts a new group of mutually exclusive buttons.
    [[nodiscard]] bool Create(HWND parent, const ControlArgs& args, bool firstOfGroup);
};

}  // namespace ui
