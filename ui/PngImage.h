// A PNG picture decoded once and drawn with its per-pixel alpha onto any device context.
#pragma once

#include "core/PngDecoder.h"
#include "ui/GdiHandles.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

namespace ui {

// Copies share one decoded picture, which is never changed once made: loading or clearing a copy
// replaces what that copy refers to and leaves the others as they were. The premultiplied bitmap
// that drawing needs is made at the first draw, so a picture that is only stored (or only made
// into icons) never holds a second copy of its pixels.
class PngImage {
public:
    // Loads the RT_RCDATA resource `name` of `module` (names match without regard to case).
    // On failure the picture keeps what it held and Error() says why.
    [[nodiscard]] bool LoadFromResource(HINSTANCE module, const wchar_t* name);
    [[nodiscard]] bool LoadFromMemory(const void* data, size_t size);
    // Takes decoded pixels (an empty picture empties this one).
    void SetPixels(core::RgbaImage&& pixels);

    // Becomes a copy of `other` (an empty `other` empties this picture).
    void Assign(const PngImage& other);
    void Clear();

    int Width() const { return Pixels().width; }
    int Height() const { return Pixels().height; }
    bool Empty() const { return !picture_; }
    // Straight (not premultiplied) RGBA, top row first.
    const core::RgbaImage& Pixels() const;
    const std::string& Error() const { return error_; }

    // Blends the picture with its top-left corner at (x, y); an empty picture draws nothing.
    void Draw(HDC dc, int x, int y) const;
    // The premultiplied 32-bit top-down bitmap that Draw blends from, made on first use (null when
    // empty or when the system has no room for it).
    HBITMAP Bitmap() const;

private:
    struct Decoded {
        core::RgbaImage pixels;
        ScopedDib bitmap;
    };

    std::shared_ptr<Decoded> picture_;  // null when empty; never holds an empty picture
    std::string error_;
};

}  // namespace ui
