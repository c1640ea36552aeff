// Lets the keyboard reach a windowless control: a child window without size, a tab stop on the
// control's container, that takes the focus for it. Enter and Space click the control; the
// container draws the focus rectangle. The mouse never meets it.
#pragma once

#include "ui/AccessibleObject.h"
#include "ui/Window.h"

namespace ui {

class GraphicControl;

class FocusHolder : public Window, public AccessibleSource {
public:
    explicit FocusHolder(GraphicControl& control) : control_(control) {}

    // Follows the control onto its container and shows or hides with it. A holder that moves to
    // another container becomes its last tab stop.
    void Follow();
    void Focus() const;
    bool Focused() const { return Handle() && GetFocus() == Handle(); }

    // True for the holder windows, which screen readers learn about through their controls.
    static bool Is(HWND hwnd);

    // The system reports the focus on the holder window: asked about it, the holder answers as
    // the control's element.
    std::vector<AccessibleItem> AccessibleItems() const override { return {}; }
    long AccessibleRole() const override;
    std::wstring AccessibleName() const override;
    bool SelfItem(AccessibleItem& item) const override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnFocusChange(bool focused);
    UINT OnGetDlgCode(const MSG* message) const;
    void OnKeyDown(WPARAM key) const;

    GraphicControl& control_;
};

}  // namespace ui
