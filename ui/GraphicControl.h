// A windowless control: it has no window of its own and paints into its container's surface.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace ui {

class Container;
class FocusHolder;

class GraphicControl {
public:
    GraphicControl();
    virtual ~GraphicControl();
    GraphicControl(const GraphicControl&) = delete;
    GraphicControl& operator=(const GraphicControl&) = delete;

    // Moves the control onto another container, on top of its siblings.
    void SetParent(Container* parent);
    Container* Parent() const { return parent_; }
    void BringToFront();

    void SetBounds(int left, int top, int width, int height);
    const RECT& Bounds() const { return bounds_; }
    int Width() const { return bounds_.right - bounds_.left; }
    int Height() const { return bounds_.bottom - bounds_.top; }

    void SetVisible(bool visible);
    bool Visible() const { return visible_; }
    // Visible and on a container that is itself shown.
    bool Showing() const;

    void SetCursor(LPCWSTR systemCursor) { cursor_ = systemCursor; }
    LPCWSTR Cursor() const { return cursor_; }
    void SetHint(const std::wstring& hint) { hint_ = hint; }
    const std::wstring& Hint() const { return hint_; }

    // Deferred repaint of the control's rectangle.
    void Invalidate() const;
    // Paints the control's rectangle now.
    void Repaint() const;

    // The device context's origin is the control's top-left corner and it is clipped to the bounds.
    virtual void Paint(HDC dc) = 0;
    // An opaque control paints every pixel of its rectangle, so nothing is painted beneath it.
    virtual bool Opaque() const { return false; }
    virtual bool HandlesMouse() const { return OnClick || OnMouseEnter || OnMouseLeave || cursor_ || !hint_.empty(); }

    std::function<void()> OnClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;

    // What a screen reader is told about the control (ROLE_SYSTEM_*); role 0 leaves it out, as
    // for a decorative picture or a label that names a window instead.
    void SetAccessible(long role, const std::wstring& name = std::wstring());
    virtual long AccessibleRole() const { return accessibleRole_; }
    virtual std::wstring AccessibleName() const { return accessibleName_; }
    virtual std::wstring AccessibleValue() const { return std::wstring(); }
    virtual std::wstring AccessibleDescription() const { return std::wstring(); }
    // Raises a win event (EVENT_OBJECT_*) for the control's element of its container.
    void NotifyAccessible(DWORD event) const;

    // A tab stop after the container's own: the keyboard can focus the control, and Enter or
    // Space click it.
    void SetTabStop(bool tabStop);
    bool TabStop() const { return focusHolder_ != nullptr; }
    bool KeyboardFocused() const;
    void FocusFromKeyboard() const;

private:
    Container* parent_ = nullptr;
    RECT bounds_{};
    bool visible_ = true;
    LPCWSTR cursor_ = nullptr;
    std::wstring hint_;
    long accessibleRole_ = 0;
    std::wstring accessibleName_;
    std::unique_ptr<FocusHolder> focusHolder_;
};

}  // namespace ui
