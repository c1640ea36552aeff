// A window that paints a background and its windowless controls (double-buffered), routes mouse
// input to them, and forwards control notifications to the windowed controls placed on it.
#pragma once

#include "ui/Window.h"

#include <vector>

namespace ui {

class GraphicControl;
class WindowedControl;

class Container : public Window {
public:
    ~Container() override;

    void SetBackgroundColor(COLORREF color) { background_ = color; }
    COLORREF BackgroundColor() const { return background_; }

    // Registration is done by GraphicControl::SetParent.
    void Attach(GraphicControl* control);
    void Detach(GraphicControl* control);
    void BringToFront(GraphicControl* control);
    const std::vector<GraphicControl*>& Controls() const { return controls_; }

    void InvalidateRect(const RECT& rect) const;
    void RepaintRect(const RECT& rect, GraphicControl* opaqueControl);

    // Draws the background and every visible windowless control that meets `area` into `dc`,
    // whose origin is the container's client origin.
    void PaintContent(HDC dc, const RECT& area);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void OnMouseMove(int x, int y);
    void OnMouseLeave();
    void OnLeftButtonDown(int x, int y);
    void OnLeftButtonUp(int x, int y);
    bool OnSetCursor();
    GraphicControl* ControlAt(int x, int y) const;
    void SetHovered(GraphicControl* control);
    void UpdateTooltip();
    static WindowedControl* FromChild(HWND child);

    std::vector<GraphicControl*> controls_;  // bottom first
    COLORREF background_ = GetSysColor(COLOR_BTNFACE);
    GraphicControl* hovered_ = nullptr;
    GraphicControl* pressed_ = nullptr;
    bool trackingLeave_ = false;
    HWND tooltip_ = nullptr;
};

}  // namespace ui
