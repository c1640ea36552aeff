#include "ui/PngImage.h"

#include <utility>

namespace ui {

namespace {

// The blend functions want each colour already weighted by its alpha.
uint32_t Premultiplied(const uint8_t* rgba) {
    const uint32_t a = rgba[3];
    auto weigh = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (weigh(rgba[0]) << 16) | (weigh(rgba[1]) << 8) | weigh(rgba[2]);
}

}  // namespace

bool PngImage::LoadFromResource(HINSTANCE module, const wchar_t* name) {
    HRSRC info = FindResourceW(module, name, RT_RCDATA);
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) {
        error_ = "picture resource not found";
        return false;
    }
    return LoadFromMemory(data, SizeofResource(module, info));
}

bool PngImage::LoadFromMemory(const void* data, size_t size) {
    core::RgbaImage decoded;
    const core::PngResult result = core::DecodePng(static_cast<const uint8_t*>(data), size, decoded);
    if (!result) {
        error_ = result.message;
        return false;
    }
    return Adopt(std::move(decoded));
}

void PngImage::Assign(const PngImage& other) {
    if (this == &other) return;
    if (other.Empty()) {
        Clear();
        return;
    }
    if (!Adopt(other.pixels_)) Clear();
}

void PngImage::Clear() {
    pixels_ = core::RgbaImage{};
    bitmap_ = ScopedDib{};
    error_.clear();
}

bool PngImage::Adopt(core::RgbaImage pixels) {
    ScopedDib dib = CreateDib32(pixels.width, pixels.height);
    if (!dib) {
        error_ = "cannot create the picture's bitmap";
        return false;
    }
    const size_t count = size_t(pixels.width) * size_t(pixels.height);
    for (size_t i = 0; i < count; ++i) dib.bits[i] = Premultiplied(&pixels.rgba[i * 4]);
    GdiFlush();
    pixels_ = std::move(pixels);
    bitmap_ = std::move(dib);
    error_.clear();
    return true;
}

void PngImage::Draw(HDC dc, int x, int y) const {
    if (Empty() || !dc) return;
    ScopedMemoryDC source(dc);
    if (!source) return;
    ScopedSelect select(source, bitmap_.bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, Width(), Height(), source, 0, 0, Width(), Height(), blend);
}

}  // namespace ui
