// Single-line edit box with change, focus and key events and a settable background colour.
#pragma once

#include "ui/GdiHandles.h"
#include "ui/WindowedControl.h"

#include <functional>

namespace ui {

class Edit : public WindowedControl {
public:
    [[nodiscard]] bool Create(HWND parent, const ControlArgs& args);

    void SetMaxLength(int characters) const { SendMessageW(Handle(), EM_SETLIMITTEXT, characters, 0); }
    void SetPasswordChar(wchar_t ch) const { SendMessageW(Handle(), EM_SETPASSWORDCHAR, ch, 0); }
    // CLR_INVALID returns to the system's window colour.
    void SetColor(COLORREF color);

    std::function<void()> OnChange;
    std::function<void()> OnEnter;
    std::function<void()> OnExit;
    std::function<void(WORD key)> OnKeyDown;

    void OnCommand(WORD notification) override;
    HBRUSH OnCtlColor(HDC dc) override;

protected:
    bool OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    COLORREF color_ = CLR_INVALID;
    ScopedBrush brush_;
};

}  // namespace ui
