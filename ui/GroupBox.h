// A captioned frame that holds controls: windowed ones (radio buttons) as its children and
// windowless ones (pictures) painted on it. Tab and arrow keys move through its children.
#pragma once

#include "ui/Container.h"
#include "ui/GraphicControl.h"

#include <string>

namespace ui {

class GroupBox : public Container {
public:
    GroupBox();
    [[nodiscard]] bool Create(HWND parent, const RECT& bounds, const std::wstring& caption, HFONT font);
    // The caption's font; the box does not own it.
    void SetFont(HFONT font);
    long AccessibleRole() const override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The etched frame with the caption, painted beneath everything placed in the box.
    class Frame : public GraphicControl {
    public:
        void Paint(HDC dc) override;
        std::wstring caption;
        HFONT font = nullptr;
    };

    Frame frame_;
};

}  // namespace ui
