// A push button showing a picture instead of a caption: one picture while enabled, another while
// disabled, and a tooltip. It stays a real BUTTON, so focus, Space and screen readers work as usual;
// only its painting is the program's.
#pragma once

#include "ui/GdiHandles.h"
#include "ui/PngImage.h"
#include "ui/WindowedControl.h"

#include <functional>
#include <string>

namespace ui {

class BitmapButton : public WindowedControl {
public:
    // `args.text` is the accessible name; the tooltip is set separately.
    [[nodiscard]] bool Create(HWND parent, const ControlArgs& args);
    void SetPictures(const PngImage& enabled, const PngImage& disabled);
    void SetTooltip(const std::wstring& text);
    const std::wstring& Tooltip() const { return tooltipText_; }
    // The picture the button shows in its current state.
    const PngImage& CurrentPicture() const { return Enabled() ? enabled_ : disabled_; }

    // Runs the click handler as a user click would, when the button is enabled.
    void Click();
    std::function<void()> OnClick;
    void OnCommand(WORD notification) override;

protected:
    bool OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    struct WindowTraits { static void Close(HWND h) { DestroyWindow(h); } };

    void Paint(HDC dc) const;
    void OnPaint() const;

    PngImage enabled_;
    PngImage disabled_;
    std::wstring tooltipText_;
    UniqueHandle<HWND, WindowTraits> tooltip_;
};

}  // namespace ui
