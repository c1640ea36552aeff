#include "components/TextGauge.h"

#include "WidgetTestWindow.h"
#include "ui/EInvalidOperation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace widget_test;

namespace {

constexpr COLORREF kBarColor = RGB(158, 254, 183);  // the main window's upload bar
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kWidth = 192;
constexpr int kHeight = 24;

// The gauge painted on its own into a 32-bit picture of its size.
class GaugePicture {
public:
    explicit GaugePicture(TTextGauge& gauge) : width_(gauge.Width()), height_(gauge.Height()) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        ui::ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        ui::ScopedMemoryDC dc;
        ui::ScopedSelect select(dc, bitmap);
        // Anything the gauge leaves unpainted shows up in this colour.
        std::vector<uint32_t> marker(static_cast<size_t>(width_) * height_, 0x00FF00FFu);
        std::copy(marker.begin(), marker.end(), static_cast<uint32_t*>(bits));
        gauge.Paint(dc);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        pixels_.assign(pixels, pixels + marker.size());
    }

    COLORREF At(int x, int y) const {
        const uint32_t p = pixels_[static_cast<size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    // The first column in row y, from `from` toward `to`, whose colour differs from `color`; -1 if none.
    int ColumnLeaving(int y, int from, int to, COLORREF color) const {
        const int step = from <= to ? 1 : -1;
        for (int x = from; x != to + step; x += step) {
            if (At(x, y) != color) return x;
        }
        return -1;
    }

    bool RowIs(int y, int fromX, int toX, COLORREF color) const { return ColumnLeaving(y, fromX, toX, color) < 0; }

    bool ColumnIs(int x, int fromY, int toY, COLORREF color) const {
        for (int y = fromY; y <= toY; ++y) {
            if (At(x, y) != color) return false;
        }
        return true;
    }

    // The bounding box of pixels inside the frame that are neither of two colours (the caption's
    // ink); empty (right < left) when there are none.
    RECT InkBounds(COLORREF a, COLORREF b) const {
        RECT box{width_, height_, -1, -1};
        for (int y = 1; y < height_ - 1; ++y) {
            for (int x = 1; x < width_ - 1; ++x) {
                const COLORREF c = At(x, y);
                if (c == a || c == b) continue;
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
        }
        return box;
    }

private:
    int width_;
    int height_;
    std::vector<uint32_t> pixels_;
};

struct CaptionMetrics {
    SIZE extent;
    int leftBearing;  // blank columns before the first glyph's ink
};

// The caption measured in the user-interface layer's default font.
CaptionMetrics MeasureCaption(const std::wstring& text) {
    ui::Font font(ui::FontSpec{});
    ui::ScopedMemoryDC dc;
    ui::ScopedSelect select(dc, font.Handle());
    CaptionMetrics metrics{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &metrics.extent);
    ABC abc{};
    if (GetCharABCWidthsW(dc, text[0], text[0], &abc)) metrics.leftBearing = abc.abcA;
    return metrics;
}

// The main window's instance: 192 x 24, single border, the upload bar colour, no caption.
class UploadGauge : public ::testing::Test {
protected:
    void SetUp() override {
        gauge.SetBounds(8, 116, kWidth, kHeight);
        gauge.SetForeColor(kBarColor);
    }

    void ExpectFrame(const GaugePicture& picture) const {
        EXPECT_TRUE(picture.RowIs(0, 0, kWidth - 1, kBlack));
        EXPECT_TRUE(picture.RowIs(kHeight - 1, 0, kWidth - 1, kBlack));
        EXPECT_TRUE(picture.ColumnIs(0, 0, kHeight - 1, kBlack));
        EXPECT_TRUE(picture.ColumnIs(kWidth - 1, 0, kHeight - 1, kBlack));
    }

    TTextGauge gauge;
};

struct FillCase {
    int32_t progress;
    int lastFilledX;  // 0: nothing filled
};

TEST_F(UploadGauge, FramesTheBarAndFillsFromTheLeftInProportion) {
    // 1 % of 191 columns is 1: a fill up to x = 1 exclusive, that is none.
    const FillCase cases[] = {{0, 0}, {50, 94}, {100, 190}, {10, 18}, {1, 0}};
    for (const FillCase& c : cases) {
        gauge.SetProgress(c.progress);
        const GaugePicture picture(gauge);
        SCOPED_TRACE(c.progress);
        ExpectFrame(picture);
        for (int y : {1, kHeight / 2, kHeight - 2}) {
            if (c.lastFilledX > 0) {
                EXPECT_TRUE(picture.RowIs(y, 1, c.lastFilledX, kBarColor)) << "row " << y;
            }
            if (c.lastFilledX < kWidth - 2) {
                EXPECT_TRUE(picture.RowIs(y, c.lastFilledX + 1, kWidth - 2, kWhite)) << "row " << y;
            }
        }
    }
}

TEST_F(UploadGauge, TheRestShowsTheBackColor) {
    gauge.SetBackColor(RGB(10, 20, 30));
    gauge.SetProgress(50);
    const GaugePicture picture(gauge);
    EXPECT_EQ(picture.At(95, 12), RGB(10, 20, 30));
    EXPECT_EQ(picture.At(190, 22), RGB(10, 20, 30));
    EXPECT_EQ(picture.At(94, 12), kBarColor);
}

TEST_F(UploadGauge, WithoutABorderTheBarCoversTheWholeControl) {
    gauge.SetBorderStyle(TBorderStyle::None);
    gauge.SetProgress(100);
    GaugePicture full(gauge);
    EXPECT_TRUE(full.RowIs(0, 0, kWidth - 1, kBarColor));
    EXPECT_TRUE(full.RowIs(kHeight - 1, 0, kWidth - 1, kBarColor));

    gauge.SetProgress(50);  // half of 193, truncated: 96 columns
    GaugePicture half(gauge);
    EXPECT_TRUE(half.RowIs(0, 0, 95, kBarColor));
    EXPECT_TRUE(half.RowIs(0, 96, kWidth - 1, kWhite));
    EXPECT_TRUE(half.ColumnIs(0, 0, kHeight - 1, kBarColor));
}

TEST_F(UploadGauge, SystemColoursAreResolved) {
    gauge.SetBackColor(0xFF000000u | COLOR_HIGHLIGHT);
    const GaugePicture picture(gauge);
    EXPECT_EQ(picture.At(100, 12), GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(UploadGauge, AnEmptyRangeFillsNothingWhateverTheProgress) {
    gauge.SetMaxValue(40);
    gauge.SetMinValue(40);
    gauge.SetProgress(1000);
    EXPECT_EQ(gauge.Progress(), 40);
    EXPECT_EQ(gauge.PercentDone(), 0);
    const GaugePicture picture(gauge);
    EXPECT_TRUE(picture.RowIs(12, 1, kWidth - 2, kWhite));
}

struct ClampCase {
    int32_t min, max, assigned;
    int32_t stored, percent;
};

TEST_F(UploadGauge, ProgressIsClampedIntoTheRange) {
    const ClampCase cases[] = {
        {0, 100, 150, 100, 100},
        {0, 100, -5, 0, 0},
        {0, 100, -40, 0, 0},
        {0, 1000, 1, 1, 0},
        {-2147483647, 2147483647, 0, 0, 50},
        {-2147483647, 2147483647, 2147483647, 2147483647, 100},
        {-2147483647, 2147483647, INT32_MIN, -2147483647, 0},
    };
    for (const ClampCase& c : cases) {
        TTextGauge g;
        g.SetMinValue(c.min);
        g.SetMaxValue(c.max);
        g.SetProgress(c.assigned);
        EXPECT_EQ(g.Progress(), c.stored) << c.assigned;
        EXPECT_EQ(g.PercentDone(), c.percent) << c.assigned;
    }
}

TEST_F(UploadGauge, TheFullSigned32BitRangeDrawsHalfWayAtZero) {
    gauge.SetMinValue(-2147483647);
    gauge.SetMaxValue(2147483647);
    gauge.SetProgress(0);
    const GaugePicture picture(gauge);
    EXPECT_TRUE(picture.RowIs(12, 1, 94, kBarColor));
    EXPECT_TRUE(picture.RowIs(12, 95, kWidth - 2, kWhite));
}

TEST_F(UploadGauge, AddProgressStaysInTheRangeWithoutOverflow) {
    gauge.SetMaxValue(2147483647);
    gauge.SetProgress(2147483000);
    gauge.AddProgress(2147483647);
    EXPECT_EQ(gauge.Progress(), 2147483647);
    gauge.AddProgress(-2147483647);
    gauge.AddProgress(-2147483647);
    EXPECT_EQ(gauge.Progress(), 0);
}

TEST(TextGaugeRange, ARangeErrorNamesTheAllowedBoundsAndChangesNothing) {
    TTextGauge gauge;
    gauge.SetProgress(30);
    try {
        gauge.SetMinValue(200);
        FAIL() << "no error";
    } catch (const ui::EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Value must be between -2147483647 and 99");
    }
    try {
        gauge.SetMaxValue(-1);
        FAIL() << "no error";
    } catch (const ui::EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Value must be between 1 and 2147483647");
    }
    EXPECT_EQ(gauge.MinValue(), 0);
    EXPECT_EQ(gauge.MaxValue(), 100);
    EXPECT_EQ(gauge.Progress(), 30);
}

TEST(TextGaugeRange, AnEmptyRangeIsAcceptedFromEitherEnd) {
    TTextGauge gauge;
    gauge.SetProgress(30);
    gauge.SetMinValue(100);
    EXPECT_EQ(gauge.MinValue(), 100);
    EXPECT_EQ(gauge.Progress(), 100) << "raised with the minimum";

    TTextGauge other;
    other.SetProgress(30);
    other.SetMaxValue(0);
    EXPECT_EQ(other.MaxValue(), 0);
    EXPECT_EQ(other.Progress(), 0) << "lowered with the maximum";
}

// The gauge on a shown window, where a change paints at once.
class ShownGauge : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(form.Create(208, 184));
        gauge.SetBounds(8, 116, kWidth, kHeight);
        gauge.SetParent(&form);
        PumpMessagesFor(50);
        ASSERT_TRUE(form.Visible());
    }

    // Paints caused by `change`, which must happen synchronously.
    uint32_t PaintsDuring(const std::function<void()>& change) {
        const uint32_t before = gauge.PaintCount();
        change();
        return gauge.PaintCount() - before;
    }

    TestForm form;
    TTextGauge gauge;
};

TEST_F(ShownGauge, RepaintsAtOnceOnlyWhenTheShownPercentageChanges) {
    gauge.SetProgress(10);
    EXPECT_EQ(PaintsDuring([&] { gauge.SetProgress(10); }), 0u) << "same position";
    EXPECT_EQ(PaintsDuring([&] { gauge.SetProgress(11); }), 1u);
    EXPECT_EQ(PaintsDuring([&] { gauge.SetProgress(500); }), 1u) << "clamped to 100";
    EXPECT_EQ(PaintsDuring([&] { gauge.SetProgress(100); }), 0u);

    gauge.SetMaxValue(1000);
    gauge.SetProgress(0);
    EXPECT_EQ(PaintsDuring([&] { gauge.SetProgress(1); }), 0u) << "still 0 %";
    EXPECT_EQ(PaintsDuring([&] { gauge.SetProgress(9); }), 0u) << "still 0 %";
    EXPECT_EQ(PaintsDuring([&] { gauge.SetProgress(10); }), 1u) << "1 %";
    EXPECT_EQ(gauge.Progress(), 10);
}

TEST_F(ShownGauge, OtherPropertiesRepaintOnlyWhenTheyChange) {
    EXPECT_EQ(PaintsDuring([&] { gauge.SetText(L"Storing track 1.00 of 3"); }), 1u);
    EXPECT_EQ(PaintsDuring([&] { gauge.SetText(L"Storing track 1.00 of 3"); }), 0u);
    EXPECT_EQ(PaintsDuring([&] { gauge.SetShowText(false); }), 1u);
    EXPECT_EQ(PaintsDuring([&] { gauge.SetForeColor(kBarColor); }), 1u);
    EXPECT_EQ(PaintsDuring([&] { gauge.SetForeColor(kBarColor); }), 0u);
    EXPECT_EQ(PaintsDuring([&] { gauge.SetBackColor(kWhite); }), 0u) << "already white";
    EXPECT_EQ(PaintsDuring([&] { gauge.SetBorderStyle(TBorderStyle::None); }), 1u);
    EXPECT_EQ(PaintsDuring([&] { gauge.AddProgress(0); }), 1u) << "always repaints";
}

TEST_F(ShownGauge, ChangesWhileHiddenAreKeptAndShownLater) {
    gauge.SetVisible(false);
    EXPECT_EQ(PaintsDuring([&] {
                  gauge.SetProgress(50);
                  gauge.SetText(L"later");
              }),
              0u);
    EXPECT_EQ(gauge.Progress(), 50);
    const uint32_t before = gauge.PaintCount();
    gauge.SetVisible(true);
    ASSERT_TRUE(PumpUntil([&] { return gauge.PaintCount() > before; }, 2000));
}

TEST_F(ShownGauge, PaintsItsBarOntoTheWindow) {
    gauge.SetForeColor(kBarColor);
    gauge.SetProgress(50);
    ui::ScopedWindowDC dc(form.Handle());
    EXPECT_EQ(GetPixel(dc, 8 + 10, 116 + 12), kBarColor);
    EXPECT_EQ(GetPixel(dc, 8 + 150, 116 + 12), kWhite);
    EXPECT_EQ(GetPixel(dc, 8, 116), kBlack);
}

// ---- Caption ----

TEST_F(UploadGauge, TheCaptionIsCentredOverTheBarWithoutABackgroundBox) {
    gauge.SetProgress(50);
    gauge.SetText(L"Storing track 1.00 of 3");
    const GaugePicture picture(gauge);
    const RECT ink = picture.InkBounds(kBarColor, kWhite);
    ASSERT_GT(ink.right, ink.left) << "no caption drawn";
    ExpectFrame(picture);
    // Placed at ((191 - text width) / 2, (23 - text height) / 2) in the layer's default font.
    const CaptionMetrics caption = MeasureCaption(gauge.Text());
    const SIZE extent = caption.extent;
    const int x = (191 - extent.cx) / 2;
    const int y = (23 - extent.cy) / 2;
    EXPECT_EQ(ink.left, x + caption.leftBearing);
    EXPECT_LT(ink.right, x + extent.cx);
    EXPECT_GE(ink.top, y);
    EXPECT_LT(ink.bottom, y + extent.cy);
    // Beside the glyphs the bar shows through: no box behind the text.
    EXPECT_EQ(picture.At(ink.left - 1, ink.top), kBarColor);
    EXPECT_EQ(picture.At(ink.right + 1, ink.bottom), kWhite);
}

TEST_F(UploadGauge, ACaptionWiderThanTheBarStaysCentredAndIsClipped) {
    gauge.SetText(std::wstring(80, L'W'));
    const GaugePicture picture(gauge);
    const RECT ink = picture.InkBounds(kBarColor, kWhite);
    // Ink reaches both ends of the bar (a negative x), and the frame is intact.
    EXPECT_LE(ink.left, 2);
    EXPECT_GE(ink.right, kWidth - 3);
    ExpectFrame(picture);
}

TEST_F(UploadGauge, NoCaptionWhenHiddenOrEmpty) {
    gauge.SetProgress(50);
    gauge.SetText(L"Storing track 1.00 of 3");
    gauge.SetShowText(false);
    const RECT hidden = GaugePicture(gauge).InkBounds(kBarColor, kWhite);
    EXPECT_LT(hidden.right, hidden.left) << "ShowText false draws no caption";

    gauge.SetShowText(true);
    gauge.SetText(L"");
    const RECT empty = GaugePicture(gauge).InkBounds(kBarColor, kWhite);
    EXPECT_LT(empty.right, empty.left);
}

}  // namespace
