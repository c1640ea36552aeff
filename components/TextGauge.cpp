#include "components/TextGauge.h"

#include "core/GaugeMath.h"
#include "ui/EInvalidOperation.h"
#include "ui/HighContrast.h"

#include <oleacc.h>

#include <string>

namespace {

constexpr int32_t kLowestMessageBound = -2147483647;
constexpr int32_t kHighestMessageBound = 2147483647;

std::string RangeMessage(int64_t low, int64_t high) {
    return "Value must be between " + std::to_string(low) + " and " + std::to_string(high);
}

// A colour whose high byte is 0xFF names a system colour by its index in the low byte.
COLORREF ResolveColor(COLORREF color) {
    if ((color & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(color & 0xFFu));
    return color & 0x00FFFFFFu;
}

void Blacken(const TBltBitmap& picture) {
    BitBlt(picture.Canvas(), 0, 0, picture.Width(), picture.Height(), picture.Canvas(), 0, 0, BLACKNESS);
}

}  // namespace

TBltBitmap::~TBltBitmap() {
    if (original_) SelectObject(dc_, original_);
}

bool TBltBitmap::SetSize(int width, int height) {
    if (width <= 0 || height <= 0 || !dc_) return false;
    // A 32-bit DIB keeps every colour exact whatever the screen's depth.
    ui::ScopedDib dib = ui::CreateDib32(width, height);
    if (!dib) return false;
    const HGDIOBJ previous = SelectObject(dc_, dib.bitmap);
    if (!previous || previous == HGDI_ERROR) return false;
    if (!original_) original_ = previous;
    bitmap_ = std::move(dib.bitmap);  // the previous picture, no longer selected, is freed here
    width_ = width;
    height_ = height;
    return true;
}

bool TBltBitmap::MakeLike(const TBltBitmap& templ) {
    if (!SetSize(templ.Width(), templ.Height())) return false;
    const RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, GetSysColorBrush(COLOR_WINDOWFRAME));
    return true;
}

TTextGauge::TTextGauge() {
    SetBounds(0, 0, 100, 100);
    captionFont_.Set(ui::FontSpec{});
    SetAccessible(ROLE_SYSTEM_PROGRESSBAR);
}

std::wstring TTextGauge::AccessibleDescription() const { return std::to_wstring(PercentDone()) + L"%"; }

void TTextGauge::AnnouncePercent(int32_t before) const {
    if (PercentDone() != before) NotifyAccessible(EVENT_OBJECT_VALUECHANGE);
}

void TTextGauge::SetMinValue(int32_t value) {
    if (value == FMinValue) return;
    if (value > FMaxValue) throw ui::EInvalidOperation(RangeMessage(kLowestMessageBound, int64_t{FMaxValue} - 1));
    const int32_t before = PercentDone();
    FMinValue = value;
    if (FCurValue < value) FCurValue = value;
    Repaint();
    AnnouncePercent(before);
}

void TTextGauge::SetMaxValue(int32_t value) {
    if (value == FMaxValue) return;
    if (value < FMinValue) throw ui::EInvalidOperation(RangeMessage(int64_t{FMinValue} + 1, kHighestMessageBound));
    const int32_t before = PercentDone();
    FMaxValue = value;
    if (FCurValue > value) FCurValue = value;
    Repaint();
    AnnouncePercent(before);
}

void TTextGauge::SetProgress(int32_t value) {
    const int32_t before = PercentDone();
    value = core::ClampToRange(value, FMinValue, FMaxValue);
    if (value == FCurValue) return;
    FCurValue = value;
    // Frequent position updates cost nothing until the shown percentage moves.
    if (PercentDone() != before) Repaint();
    AnnouncePercent(before);
}

void TTextGauge::AddProgress(int32_t value) {
    const int32_t before = PercentDone();
    FCurValue = core::ClampToRange(int64_t{FCurValue} + value, FMinValue, FMaxValue);
    Repaint();
    AnnouncePercent(before);
}

int32_t TTextGauge::PercentDone() const {
    return core::PercentDone(FCurValue, FMinValue, FMaxValue);
}

void TTextGauge::SetText(const std::wstring& text) {
    if (text == FText) return;
    FText = text;
    Repaint();
}

void TTextGauge::SetTextAndProgress(const std::wstring& text, int32_t value) {
    const int32_t before = PercentDone();
    const bool textChanged = text != FText;
    if (textChanged) FText = text;
    FCurValue = core::ClampToRange(value, FMinValue, FMaxValue);
    if (textChanged || PercentDone() != before) Repaint();
    AnnouncePercent(before);
}

void TTextGauge::SetShowText(bool show) {
    if (show == FShowText) return;
    FShowText = show;
    Repaint();
}

void TTextGauge::SetBorderStyle(TBorderStyle style) {
    if (style == FBorderStyle) return;
    FBorderStyle = style;
    Repaint();
}

void TTextGauge::SetForeColor(COLORREF color) {
    if (color == FForeColor) return;
    FForeColor = color;
    Repaint();
}

void TTextGauge::SetBackColor(COLORREF color) {
    if (color == FBackColor) return;
    FBackColor = color;
    Repaint();
}

void TTextGauge::SetCaptionFont(const ui::FontSpec& spec) {
    captionFont_.Set(spec);
    Invalidate();
}

RECT TTextGauge::PaintRect() const {
    RECT rect{0, 0, Width(), Height()};
    if (FBorderStyle == TBorderStyle::Single) InflateRect(&rect, -1, -1);
    return rect;
}

void TTextGauge::Paint(HDC dc) {
    // Composed off-screen and copied in one operation, so the bar never flickers.
    TBltBitmap image;
    if (!image.SetSize(Width(), Height())) return;
    Blacken(image);
    const RECT paintRect = PaintRect();

    TBltBitmap overlay;
    if (!overlay.MakeLike(image)) return;
    Blacken(overlay);
    PaintBar(overlay.Canvas(), paintRect);
    // The image is black, so the exclusive or leaves exactly the overlay: frame, rest and fill.
    BitBlt(image.Canvas(), 0, 0, image.Width(), image.Height(), overlay.Canvas(), 0, 0, SRCINVERT);

    if (FShowText) PaintCaption(image.Canvas(), paintRect);
    BitBlt(dc, 0, 0, image.Width(), image.Height(), image.Canvas(), 0, 0, SRCCOPY);
    ++paintCount_;
}

void TTextGauge::PaintBar(HDC dc, const RECT& paintRect) const {
    const int barWidth = paintRect.right - paintRect.left + 1;
    const int barHeight = paintRect.bottom - paintRect.top + 1;
    // In high contrast the bar takes the system's colours instead of its own.
    const bool system = ui::HighContrastOn();
    ui::ScopedBrush back(CreateSolidBrush(system ? GetSysColor(COLOR_WINDOW) : ResolveColor(FBackColor)));
    FillRect(dc, &paintRect, back);

    int fillSize = core::ScaleByPercent(PercentDone(), barWidth);
    if (fillSize > barWidth) fillSize = barWidth;
    if (fillSize <= 0) return;
    // Right and bottom are absolute edges, not extents from the paint rectangle's corner.
    const RECT fill{paintRect.left, paintRect.top, fillSize, barHeight};
    ui::ScopedBrush fore(CreateSolidBrush(system ? GetSysColor(COLOR_HIGHLIGHT) : ResolveColor(FForeColor)));
    FillRect(dc, &fill, fore);
}

void TTextGauge::PaintCaption(HDC dc, const RECT& paintRect) const {
    if (FText.empty()) return;
    const int length = static_cast<int>(FText.size());
    ui::ScopedSelect font(dc, captionFont_.Handle());
    SIZE extent{};
    if (!GetTextExtentPoint32W(dc, FText.c_str(), length, &extent)) return;
    // Wider than the bar gives a negative x: the caption stays centred and is clipped.
    const int x = (paintRect.right - paintRect.left + 1 - extent.cx) / 2;
    const int y = (paintRect.bottom - paintRect.top + 1 - extent.cy) / 2;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    ExtTextOutW(dc, x, y, ETO_CLIPPED, &paintRect, FText.c_str(), static_cast<UINT>(length), nullptr);
}
