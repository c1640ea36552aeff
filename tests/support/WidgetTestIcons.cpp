#include "WidgetTestIcons.h"

#include <cstdint>

namespace widget_test {

namespace {

constexpr int kSize = 16;

struct Dib {
    ui::ScopedBitmap bitmap;
    uint32_t* bits = nullptr;
};

Dib MakeDib(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    Dib dib;
    void* bits = nullptr;
    dib.bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dib.bits = static_cast<uint32_t*>(bits);
    return dib;
}

}  // namespace

ui::ScopedIcon MakeSolidIcon(COLORREF color) {
    Dib colour = MakeDib(kSize, kSize);
    if (!colour.bitmap) return ui::ScopedIcon();
    const uint32_t pixel = 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    for (int i = 0; i < kSize * kSize; ++i) colour.bits[i] = pixel;
    ui::ScopedBitmap mask(CreateBitmap(kSize, kSize, 1, 1, nullptr));
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour.bitmap;
    info.hbmMask = mask;
    return ui::ScopedIcon(CreateIconIndirect(&info));
}

COLORREF FrameColor(int index) {
    // Distinct for up to twelve frames.
    return RGB(20 * (index + 1), 255 - 20 * index, (index % 2) ? 64 : 192);
}

ScopedImageList MakeFrameList(int count) {
    ScopedImageList list(ImageList_Create(kSize, kSize, ILC_COLOR32 | ILC_MASK, count, 0));
    for (int i = 0; i < count; ++i) {
        ui::ScopedIcon frame = MakeSolidIcon(FrameColor(i));
        ImageList_ReplaceIcon(list, -1, frame);
    }
    return list;
}

std::optional<COLORREF> IconColor(HICON icon) {
    if (!icon) return std::nullopt;
    Dib canvas = MakeDib(kSize, kSize);
    ui::ScopedMemoryDC dc;
    if (!canvas.bitmap || !dc) return std::nullopt;
    ui::ScopedSelect select(dc, canvas.bitmap);
    if (!DrawIconEx(dc, 0, 0, icon, kSize, kSize, 0, nullptr, DI_NORMAL)) return std::nullopt;
    GdiFlush();
    const uint32_t pixel = canvas.bits[(kSize / 2) * kSize + kSize / 2];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int FrameOf(HICON icon, int count) {
    const std::optional<COLORREF> color = IconColor(icon);
    if (!color) return -1;
    for (int i = 0; i < count; ++i) {
        if (*color == FrameColor(i)) return i;
    }
    return -1;
}

}  // namespace widget_test
