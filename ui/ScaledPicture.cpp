#include "ui/ScaledPicture.h"

#include "core/PictureScale.h"
#include "ui/Dpi.h"

#include <string>

namespace ui {

namespace {

struct Drawing {
    int dpi;
    const wchar_t* suffix;
};
// Smallest first.
constexpr Drawing kDrawings[] = {{96, L""}, {120, L"_125"}, {144, L"_150"}, {192, L"_200"}};

struct Resource {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

Resource Find(HINSTANCE module, const std::wstring& name) {
    HRSRC info = FindResourceW(module, name.c_str(), RT_RCDATA);
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return Resource{};
    return Resource{static_cast<const uint8_t*>(data), SizeofResource(module, info)};
}

}  // namespace

SIZE PictureSize(HINSTANCE module, const wchar_t* name, int dpi) {
    const Resource base = Find(module, name);
    int width = 0, height = 0;
    if (!core::PngDimensions(base.data, base.size, width, height)) return SIZE{0, 0};
    return SIZE{Scale(width, dpi), Scale(height, dpi)};
}

PngImage LoadPicture(HINSTANCE module, const wchar_t* name, int dpi) {
    PngImage picture;
    if (dpi == kDesignDpi) {
        (void)picture.LoadFromResource(module, name);
        return picture;
    }
    const SIZE size = PictureSize(module, name, dpi);
    if (size.cx <= 0 || size.cy <= 0) return picture;

    // The drawing made for this scale, else the nearest larger one, else the largest there is.
    Resource chosen;
    for (const Drawing& drawing : kDrawings) {
        const Resource candidate = Find(module, std::wstring(name) + drawing.suffix);
        if (!candidate.data) continue;
        chosen = candidate;
        if (drawing.dpi >= dpi) break;
    }
    if (!picture.LoadFromMemory(chosen.data, chosen.size)) return picture;
    if (picture.Width() != size.cx || picture.Height() != size.cy)
        picture.SetPixels(core::ResizeRgba(picture.Pixels(), size.cx, size.cy));
    return picture;
}

}  // namespace ui
