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
    auto decoded = std::make_shared<Decoded>();
    const core::PngResult result = core::DecodePng(static_cast<const uint8_t*>(data), size, decoded->pixels);
    if (!result) {
        error_ = result.message;
        return false;
    }
    if (decoded->pixels.rgba.empty()) {
        error_ = "the picture has no pixels";
        return false;
    }
    picture_ = std::move(decoded);
    error_.clear();
    return true;
}

void PngImage::SetPixels(core::RgbaImage&& pixels) {
    error_.clear();
    if (pixels.rgba.empty()) {
        picture_.reset();
        return;
    }
    auto decoded = std::make_shared<Decoded>();
    decoded->pixels = std::move(pixels);
    picture_ = std::move(decoded);
}

void PngImage::Assign(const PngImage& other) {
    if (this == &other) return;
    picture_ = other.picture_;
    error_.clear();
}

void PngImage::Clear() {
    picture_.reset();
    error_.clear();
}

const core::RgbaImage& PngImage::Pixels() const {
    static const core::RgbaImage kNone{};
    return picture_ ? picture_->pixels : kNone;
}

HBITMAP PngImage::Bitmap() const {
    if (!picture_) return nullptr;
    Decoded& decoded = *picture_;
    if (!decoded.bitmap) {
        const core::RgbaImage& pixels = decoded.pixels;
        ScopedDib dib = CreateDib32(pixels.width, pixels.height);
        if (!dib) return nullptr;  // tried again at the next draw
        const size_t count = size_t(pixels.width) * size_t(pixels.height);
        for (size_t i = 0; i < count; ++i) dib.bits[i] = Premultiplied(&pixels.rgba[i * 4]);
        GdiFlush();
        decoded.bitmap = std::move(dib);
    }
    return decoded.bitmap.bitmap.Get();
}

void PngImage::Draw(HDC dc, int x, int y) const {
    if (!dc) return;
    const HBITMAP bitmap = Bitmap();
    if (!bitmap) return;
    ScopedMemoryDC source(dc);
    if (!source) return;
    ScopedSelect select(source, bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, Width(), Height(), source, 0, 0, Width(), Height(), blend);
}

}  // namespace ui
