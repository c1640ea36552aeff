#include "ui/GraphicControl.h"

#include "ui/Container.h"

namespace ui {

GraphicControl::~GraphicControl() {
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

}  // namespace ui
