// Icons and 32-bit image lists made from RGBA pictures, for the notification area: real alpha,
// so the same picture looks right on light and dark taskbars.
#pragma once

#include "core/PngDecoder.h"
#include "ui/GdiHandles.h"
#include "ui/PngImage.h"

#include <windows.h>
#include <commctrl.h>

namespace ui {

// An owned HICON.
class Icon {
public:
    Icon() = default;
    explicit Icon(HICON icon) : icon_(icon) {}

    // A 32-bit icon with the picture's alpha; empty when the picture is empty.
    static Icon FromRgba(const core::RgbaImage& picture);
    static Icon FromPng(const PngImage& picture) { return FromRgba(picture.Pixels()); }
    // From the PNG in the RT_RCDATA resource `name` of `module`; empty when it does not load.
    static Icon FromResource(HINSTANCE module, const wchar_t* name);

    HICON Handle() const { return icon_.Get(); }
    bool Empty() const { return !icon_; }
    HICON Release() { return icon_.Release(); }

private:
    ScopedIcon icon_;
};

struct ImageListTraits { static void Close(HIMAGELIST h) { ImageList_Destroy(h); } };

// An owned 32-bit image list of square frames.
class ImageList {
public:
    // The frames' size at 96 dpi.
    static constexpr int kFrameSize = 16;

    ImageList() = default;

    // Cuts a horizontal strip of frameSize x frameSize frames; the strip's width must be a whole
    // number of frames and its height one frame. On failure the list stays as it was.
    [[nodiscard]] bool LoadStrip(const PngImage& strip, int frameSize = kFrameSize);
    // The same from the RT_RCDATA resource `name` of `module`.
    [[nodiscard]] bool LoadStrip(HINSTANCE module, const wchar_t* name);

    int Count() const;
    // The frames' width and height; 0 when empty.
    int FrameSize() const;
    // A new icon of frame `index`; empty when out of range.
    Icon GetIcon(int index) const;
    HIMAGELIST Handle() const { return list_.Get(); }

private:
    UniqueHandle<HIMAGELIST, ImageListTraits> list_;
};

}  // namespace ui
