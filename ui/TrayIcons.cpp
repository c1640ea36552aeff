#include "ui/TrayIcons.h"

#include <algorithm>
#include <vector>

namespace ui {

Icon Icon::FromRgba(const core::RgbaImage& picture) {
    const int width = picture.width, height = picture.height;
    if (width <= 0 || height <= 0 || picture.rgba.size() != size_t(width) * size_t(height) * 4) return Icon();
    // Icons take straight alpha: only the byte order changes.
    ScopedDib colour = CreateDib32(width, height);
    if (!colour) return Icon();
    const uint8_t* src = picture.rgba.data();
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i, src += 4) {
        colour.bits[i] = (uint32_t(src[3]) << 24) | (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2];
    }
    GdiFlush();
    // The mask marks fully transparent pixels, for anything that ignores the alpha channel.
    const int maskStride = ((width + 15) / 16) * 2;  // monochrome rows are WORD aligned
    std::vector<uint8_t> maskBits(size_t(maskStride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (picture.rgba[(size_t(y) * width + x) * 4 + 3] == 0) maskBits[size_t(y) * maskStride + x / 8] |= 0x80 >> (x % 8);
    ScopedBitmap mask(CreateBitmap(width, height, 1, 1, maskBits.data()));
    if (!mask) return Icon();

    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = colour.bitmap;
    return Icon(CreateIconIndirect(&info));
}

Icon Icon::FromResource(HINSTANCE module, const wchar_t* name) {
    PngImage picture;
    return picture.LoadFromResource(module, name) ? FromPng(picture) : Icon();
}

bool ImageList::LoadStrip(const PngImage& strip, int frameSize) {
    const int width = strip.Width(), height = strip.Height();
    if (strip.Empty() || frameSize <= 0 || height != frameSize || width % frameSize != 0) return false;
    const int count = width / height;
    UniqueHandle<HIMAGELIST, ImageListTraits> list(ImageList_Create(height, height, ILC_COLOR32, count, 0));
    if (!list) return false;

    // The whole strip in one 32-bit picture with straight alpha, cut into frames by the list: far
    // cheaper than adding the frames one icon at a time.
    ScopedDib colour = CreateDib32(width, height);
    if (!colour) return false;
    const uint8_t* src = strip.Pixels().rgba.data();
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i, src += 4)
        colour.bits[i] = (uint32_t(src[3]) << 24) | (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2];
    GdiFlush();
    if (ImageList_Add(list, colour.bitmap, nullptr) != 0 || ImageList_GetImageCount(list) != count) return false;
    list_ = std::move(list);
    return true;
}

bool ImageList::LoadStrip(HINSTANCE module, const wchar_t* name) {
    PngImage strip;
    return strip.LoadFromResource(module, name) && LoadStrip(strip);
}

int ImageList::Count() const { return list_ ? ImageList_GetImageCount(list_) : 0; }

int ImageList::FrameSize() const {
    int width = 0, height = 0;
    if (!list_ || !ImageList_GetIconSize(list_, &width, &height)) return 0;
    return height;
}

Icon ImageList::GetIcon(int index) const {
    if (index < 0 || index >= Count()) return Icon();
    return Icon(ImageList_GetIcon(list_, index, ILD_NORMAL));
}

}  // namespace ui
