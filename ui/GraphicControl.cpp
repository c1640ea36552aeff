#include "ui/GraphicControl.h"

#include "ui/Container.h"
#include "ui/FocusHolder.h"

namespace ui {

GraphicControl::GraphicControl() = default;

GraphicControl::~GraphicControl() {
    focusHolder_.reset();
    if (parent_) parent_->Detach(this);
}

void GraphicControl::SetParent(Container* parent) {
    if (parent_ == parent) return;
    if (parent_) {
        Invalidate();
        parent_->Detach(this);
    }
    parent_ = parent;
    if (parent_) {
        parent_->Attach(this);
        Invalidate();
    }
    if (focusHolder_) focusHolder_->Follow();
}

void GraphicControl::BringToFront() {
    if (!parent_) return;
    parent_->BringToFront(this);
    Invalidate();
}

void GraphicControl::SetBounds(int left, int top, int width, int height) {
    const RECT bounds{left, top, left + width, top + height};
    if (EqualRect(&bounds, &bounds_)) return;
    Invalidate();
    bounds_ = bounds;
    Invalidate();
}

void GraphicControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (parent_) parent_->InvalidateRect(bounds_);
    if (focusHolder_) focusHolder_->Follow();
}

bool GraphicControl::Showing() const {
    return visible_ && parent_ && parent_->Visible();
}

void GraphicControl::Invalidate() const {
    if (parent_ && visible_) parent_->InvalidateRect(bounds_);
}

void GraphicControl::Repaint() const {
    if (parent_ && visible_) parent_->RepaintRect(bounds_, Opaque() ? const_cast<GraphicControl*>(this) : nullptr);
}

void GraphicControl::SetAccessible(long role, const std::wstring& name) {
    accessibleRole_ = role;
    accessibleName_ = name;
}

void GraphicControl::NotifyAccessible(DWORD event) const {
    if (parent_ && AccessibleRole()) parent_->NotifyAccessible(this, event);
}

void GraphicControl::SetTabStop(bool tabStop) {
    if (tabStop == TabStop()) return;
    if (!tabStop) {
        focusHolder_.reset();
        return;
    }
    focusHolder_ = std::make_unique<FocusHolder>(*this);
    focusHolder_->Follow();
}

bool GraphicControl::KeyboardFocused() const { return focusHolder_ && focusHolder_->Focused(); }

void GraphicControl::FocusFromKeyboard() const {
    if (focusHolder_) focusHolder_->Focus();
}

}  // namespace ui
