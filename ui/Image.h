// A windowless picture: draws a PNG picture with its alpha over whatever lies beneath.
#pragma once

#include "ui/GraphicControl.h"
#include "ui/PngImage.h"

namespace ui {

class Image : public GraphicControl {
public:
    // Copies the picture; with autoSize the control takes the picture's size.
    void SetPicture(const PngImage& picture);
    const PngImage& Picture() const { return picture_; }
    void SetAutoSize(bool autoSize) { autoSize_ = autoSize; }
    // A backdrop gives way to the system's colours in high contrast; pictures that inform stay.
    void SetBackdrop(bool backdrop) { backdrop_ = backdrop; }

    void Paint(HDC dc) override;

private:
    PngImage picture_;
    bool autoSize_ = true;
    bool backdrop_ = false;
};

}  // namespace ui
