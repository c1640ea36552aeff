#include "GUI/BlendedText.h"

#include "ui/GdiHandles.h"

#include <cstdlib>

namespace {

// Bold Arial with ClearType, so the edges carry more coverage levels than plain grey smoothing.
ui::ScopedFont CreateTextFont(int fontSize, int dpi) {
    if (dpi <= 0) {
        const ui::ScopedWindowDC screen(nullptr);
        dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    }
    LOGFONTW font{};
    font.lfHeight = -MulDiv(fontSize, dpi, 72);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, L"Arial", LF_FACESIZE);
    return ui::ScopedFont(CreateFontIndirectW(&font));
}

[[nodiscard]] bool Measure(HDC dc, const std::wstring& text, SIZE& extent) {
    extent = SIZE{0, 0};
    return text.empty() || GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
}

[[nodiscard]] bool Is32BitBitmap(HBITMAP bitmap, SIZE& size) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info) || info.bmBitsPixel != 32) return false;
    size = SIZE{info.bmWidth, std::abs(info.bmHeight)};
    return true;
}

}  // namespace

SIZE MeasureBlendedText(int fontSize, const std::wstring& text, int dpi) {
    SIZE extent{0, 0};
    const ui::ScopedFont font = CreateTextFont(fontSize, dpi);
    const ui::ScopedMemoryDC dc;
    if (!font || !dc) return extent;
    const ui::ScopedSelect selectFont(dc, font.Get());
    if (!Measure(dc, text, extent)) extent = SIZE{0, 0};
    return extent;
}

bool DrawBlendedText(int x, int y, int fontSize, HBITMAP target, const std::wstring& text, int dpi) {
    SIZE targetSize{};
    if (!Is32BitBitmap(target, targetSize)) return false;
    const ui::ScopedFont font = CreateTextFont(fontSize, dpi);
    const ui::ScopedMemoryDC dc;
    if (!font || !dc) return false;
    const ui::ScopedSelect selectFont(dc, font.Get());
    SIZE extent{};
    if (!Measure(dc, text, extent)) return false;
    if (extent.cx <= 0 || extent.cy <= 0) return true;  // nothing to draw

    const ui::ScopedDib ink = ui::CreateDib32(extent.cx, extent.cy);
    if (!ink) return false;
    const ui::ScopedSelect selectInk(dc, ink.bitmap.Get());
    // Black on opaque white, then the brightness turned into alpha: solid glyph pixels become
    // alpha 255, the background 0, anti-aliased fringes their grey level. Black ink is already
    // premultiplied, as the blend below requires.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    const RECT whole{0, 0, extent.cx, extent.cy};
    if (!ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &whole, text.c_str(), static_cast<UINT>(text.size()), nullptr))
        return false;
    GdiFlush();
    const size_t count = static_cast<size_t>(extent.cx) * static_cast<size_t>(extent.cy);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t pixel = ink.bits[i];
        const uint32_t sum = (pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF);
        ink.bits[i] = (255 - sum / 3) << 24;
    }

    if (x == -1) x = (targetSize.cx - extent.cx) / 2;
    if (y == -1) y = (targetSize.cy - extent.cy) / 2;
    const ui::ScopedMemoryDC targetDc;
    if (!targetDc) return false;
    const ui::ScopedSelect selectTarget(targetDc, target);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const bool drawn =
        AlphaBlend(targetDc, x, y, extent.cx, extent.cy, dc, 0, 0, extent.cx, extent.cy, blend) != FALSE;
    GdiFlush();
    return drawn;
}
