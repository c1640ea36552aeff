// A PNG picture decoded once and drawn with its per-pixel alpha onto any device context.
#pragma once

#include "core/PngDecoder.h"
#include "ui/GdiHandles.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>

namespace ui {

class PngImage {
public:
    PngImage() = default;
    PngImage(const PngImage& other) { Assign(other); }
    PngImage& operator=(const PngImage& other) {
        Assign(other);
        return *this;
    }
    PngImage(PngImage&& other) noexcept { *this = std::move(other); }
    PngImage& operator=(PngImage&& other) noexcept {
        if (this != &other) {
            pixels_ = std::exchange(other.pixels_, core::RgbaImage{});
            bitmap_ = std::move(other.bitmap_);
            error_ = std::move(other.error_);
        }
        return *this;
    }

    // Loads the RT_RCDATA resource `name` of `module` (names match without regard to case).
    // On failure the picture keeps what it held and Error() says why.
    [[nodiscard]] bool LoadFromResource(HINSTANCE module, const wchar_t* name);
    [[nodiscard]] bool LoadFromMemory(const void* data, size_t size);

    // Becomes a copy of `other` (an empty `other` empties this picture).
    void Assign(const PngImage& other);
    void Clear();

    int Width() const { return pixels_.width; }
    int Height() const { return pixels_.height; }
    bool Empty() const { return pixels_.rgba.empty(); }
    // Straight (not premultiplied) RGBA, top row first.
    const core::RgbaImage& Pixels() const { return pixels_; }
    const std::string& Error() const { return error_; }

    // Blends the picture with its top-left corner at (x, y); an empty picture draws nothing.
    void Draw(HDC dc, int x, int y) const;
    // The premultiplied 32-bit top-down bitmap that Draw blends from (null when empty).
    HBITMAP Bitmap() const { return bitmap_.bitmap.Get(); }

private:
    bool Adopt(core::RgbaImage pixels);

    core::RgbaImage pixels_;
    ScopedDib bitmap_;
    std::string error_;
};

}  // namespace ui
