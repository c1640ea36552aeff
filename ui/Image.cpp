#include "ui/Image.h"

#include "ui/HighContrast.h"

namespace ui {

void Image::SetPicture(const PngImage& picture) {
    picture_.Assign(picture);
    if (autoSize_ && !picture_.Empty()) {
        const RECT& b = Bounds();
        SetBounds(b.left, b.top, picture_.Width(), picture_.Height());
    }
    Invalidate();
}

void Image::Paint(HDC dc) {
    if (backdrop_ && HighContrastOn()) return;
    if (!picture_.Empty()) picture_.Draw(dc, 0, 0);
}

}  // namespace ui
