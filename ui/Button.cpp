#include "ui/Button.h"

namespace ui {

bool Button::Create(HWND parent, const ControlArgs& args) {
    ControlArgs button = args;
    button.style |= WS_TABSTOP | BS_PUSHBUTTON;
    return CreateControl(parent, L"BUTTON", button);
}

void Button::Click() {
    if (Enabled() && OnClick) OnClick();
}

void Button::OnCommand(WORD notification) {
    if (notification == BN_CLICKED && OnClick) OnClick();
}

bool CheckBox::Create(HWND parent, const ControlArgs& args) {
    ControlArgs box = args;
    box.style |= WS_TABSTOP | BS_AUTOCHECKBOX;
    return CreateControl(parent, L"BUTTON", box);
}

bool RadioButton::Create(HWND parent, const ControlArgs& args, bool firstOfGroup) {
    ControlArgs radio = args;
    radio.style |= BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0);
    return CreateControl(parent, L"BUTTON", radio);
}

}  // namespace ui
