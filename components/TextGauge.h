// A horizontal progress bar with a caption centred over it, drawn windowless into its container.
#pragma once

#include "ui/Font.h"
#include "ui/GdiHandles.h"
#include "ui/GraphicControl.h"

#include <cstdint>
#include <string>

// Only Single draws a frame.
enum class TBorderStyle { None, Single };

// An off-screen 32-bit picture with its own memory DC, used to compose the gauge.
class TBltBitmap {
public:
    TBltBitmap() = default;
    ~TBltBitmap();
    TBltBitmap(const TBltBitmap&) = delete;
    TBltBitmap& operator=(const TBltBitmap&) = delete;

    // Resizes to width x height; false when the bitmap or its DC cannot be made.
    [[nodiscard]] bool SetSize(int width, int height);
    // Takes the size of `templ` and fills the whole picture with the window-frame colour.
    [[nodiscard]] bool MakeLike(const TBltBitmap& templ);

    HDC Canvas() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    ui::ScopedMemoryDC dc_{nullptr};
    ui::ScopedBitmap bitmap_;
    HGDIOBJ original_ = nullptr;  // the DC's own bitmap, put back before ours is freed
    int width_ = 0;
    int height_ = 0;
};

class TTextGauge : public ui::GraphicControl {
public:
    TTextGauge();

    int32_t MinValue() const { return FMinValue; }
    // Throws ui::EInvalidOperation when value exceeds MaxValue; nothing changes then.
    void SetMinValue(int32_t value);
    int32_t MaxValue() const { return FMaxValue; }
    // Throws ui::EInvalidOperation when value is below MinValue; nothing changes then.
    void SetMaxValue(int32_t value);

    int32_t Progress() const { return FCurValue; }
    // Clamped into MinValue..MaxValue; repaints only when PercentDone changes.
    void SetProgress(int32_t value);
    // Progress + value through the same clamping, then always repaints.
    void AddProgress(int32_t value);
    // Progress within the range as a whole percentage, 0..100.
    int32_t PercentDone() const;

    const std::wstring& Text() const { return FText; }
    void SetText(const std::wstring& text);
    // SetText then SetProgress, painted once: a repaint only when the caption or the shown
    // percentage changes.
    void SetTextAndProgress(const std::wstring& text, int32_t value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool show);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    // Plain colours 0x00BBGGRR; 0xFF0000nn names system colour nn.
    COLORREF ForeColor() const { return FForeColor; }
    void SetForeColor(COLORREF color);
    COLORREF BackColor() const { return FBackColor; }
    void SetBackColor(COLORREF color);

    // The caption's font: the layer's default font, at the scale the gauge is shown at.
    void SetCaptionFont(const ui::FontSpec& spec);
    HFONT CaptionFont() const { return captionFont_.Handle(); }

    // How many times the gauge has really been painted.
    uint32_t PaintCount() const { return paintCount_; }

    void Paint(HDC dc) override;
    bool Opaque() const override { return true; }

    // A progress bar whose value is the caption and whose description is the whole percentage.
    std::wstring AccessibleValue() const override { return FText; }
    std::wstring AccessibleDescription() const override;

private:
    // Screen readers hear of the bar's whole percentage, not of every step behind it.
    void AnnouncePercent(int32_t before) const;
    RECT PaintRect() const;
    void PaintBar(HDC dc, const RECT& paintRect) const;
    void PaintCaption(HDC dc, const RECT& paintRect) const;

    int32_t FMinValue = 0;
    int32_t FMaxValue = 100;
    int32_t FCurValue = 0;
    bool FShowText = true;
    TBorderStyle FBorderStyle = TBorderStyle::Single;
    COLORREF FForeColor = RGB(0, 0, 0);
    COLORREF FBackColor = RGB(255, 255, 255);
    std::wstring FText;
    ui::Font captionFont_;  // the layer's default font; the caption never follows a control font
    uint32_t paintCount_ = 0;
};
