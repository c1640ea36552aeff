// A window that paints a background and its windowless controls (double-buffered), routes mouse
// input to them, and forwards control notifications to the windowed controls placed on it.
#pragma once

#include "ui/AccessibleObject.h"
#include "ui/Window.h"

#include <vector>

namespace ui {

class GraphicControl;
class WindowedControl;

class Container : public Window, public AccessibleSource {
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

    // What screen readers find here: the child windows and the windowless controls that have a
    // role, in reading order (lines top to bottom, left to right within a line), hidden ones
    // marked invisible.
    std::vector<AccessibleItem> AccessibleItems() const override;
    long AccessibleRole() const override;
    std::wstring AccessibleName() const override { return Text(); }
    // The element a windowless control placed here stands for.
    AccessibleItem ItemFor(GraphicControl& control) const;
    // Raises `event` for the element of `control`.
    void NotifyAccessible(const GraphicControl* control, DWORD event) const;
    // The container a window of this process belongs to, if it is one.
    static const Container* FromHandle(HWND hwnd);

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
    static const AccessibleSource* Source(HWND hwnd) { return FromHandle(hwnd); }

    std::vector<GraphicControl*> controls_;  // bottom first
    COLORREF background_ = GetSysColor(COLOR_BTNFACE);
    GraphicControl* hovered_ = nullptr;
    GraphicControl* pressed_ = nullptr;
    bool trackingLeave_ = false;
    HWND tooltip_ = nullptr;
};

}  // namespace ui
