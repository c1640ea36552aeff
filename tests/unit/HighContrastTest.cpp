// High contrast: the panels and the gauge paint in the system's colours instead of the background
// picture and the program's own colours, links in the system's link colour, and switching it while
// the program runs repaints everything.
#include "MainWindowFixture.h"
#include "ui/HighContrast.h"

using namespace tests;

namespace {

// Wine keeps no high-contrast setting: the test answers for the system.
bool highContrast = false;

void SetHighContrast(bool on) {
    highContrast = on;
    ui::SetHighContrastSource([] { return highContrast; });
}

COLORREF Pixel(const ui::ScopedDib& dib, int width, int x, int y) {
    const uint32_t bgr = dib.bits[y * width + x];
    return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

class HighContrastTest : public MainWindowTest {
protected:
    void TearDown() override {
        ui::SetHighContrastSource(nullptr);
        MainWindowTest::TearDown();
    }
    // The panel as it paints now.
    ui::ScopedDib Render(ui::Container& panel) {
        ui::ScopedDib dib = ui::CreateDib32(kWidth, kHeight);
        ui::ScopedMemoryDC dc;
        const ui::ScopedSelect select(dc, dib.bitmap.Get());
        panel.PaintContent(dc, RECT{0, 0, kWidth, kHeight});
        GdiFlush();
        return dib;
    }
    // Whether any pixel of `area` has `color`.
    static bool Shows(const ui::ScopedDib& dib, const RECT& area, COLORREF color) {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (Pixel(dib, kWidth, x, y) == color) return true;
        return false;
    }
    static constexpr int kWidth = 208, kHeight = 184;
};

TEST_F(HighContrastTest, PanelsLinksAndTheGaugeTakeTheSystemsColours) {
    Event(5);
    Event(7);
    Event(15, 2, 11);  // the gauge shows, at 0 %
    form->UploadsLeftProgress.SetProgress(50);
    const RECT gauge = form->UploadsLeftProgress.Bounds();
    const POINT corner{2, 180};  // background picture, nothing drawn over it
    const COLORREF window = GetSysColor(COLOR_WINDOW);

    const ui::ScopedDib normalLogin = Render(form->LoginPanel);
    const ui::ScopedDib normalStatus = Render(form->StatusPanel);
    ASSERT_TRUE(Shows(normalLogin, form->NewuserLabel.Bounds(), RGB(0, 0, 255))) << "the designed blue link";
    ASSERT_TRUE(Shows(normalStatus, gauge, RGB(158, 254, 183))) << "the designed bar colour";

    SetHighContrast(true);
    ASSERT_TRUE(ui::HighContrastOn());
    const ui::ScopedDib login = Render(form->LoginPanel);
    const ui::ScopedDib status = Render(form->StatusPanel);
    EXPECT_EQ(Pixel(login, kWidth, corner.x, corner.y), window) << "no background picture";
    EXPECT_EQ(Pixel(status, kWidth, corner.x, corner.y), window);
    EXPECT_TRUE(Shows(login, form->NewuserLabel.Bounds(), GetSysColor(COLOR_HOTLIGHT)));
    EXPECT_TRUE(Shows(status, gauge, GetSysColor(COLOR_HIGHLIGHT))) << "the filled half";
    EXPECT_FALSE(Shows(status, gauge, RGB(158, 254, 183)));

    SetHighContrast(false);
    const ui::ScopedDib again = Render(form->LoginPanel);
    EXPECT_EQ(Pixel(again, kWidth, corner.x, corner.y), Pixel(normalLogin, kWidth, corner.x, corner.y))
        << "the picture is back";
}

TEST_F(HighContrastTest, SwitchingWhileRunningRepaintsTheWindow) {
    form->Show(SW_SHOWNA);
    UpdateWindow(form->Handle());
    Pump(50);
    RECT pending{};
    ASSERT_FALSE(GetUpdateRect(form->LoginPanel.Handle(), &pending, FALSE)) << "all painted";
    SendMessageW(form->Handle(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_TRUE(GetUpdateRect(form->LoginPanel.Handle(), &pending, FALSE));
    EXPECT_EQ(pending.right - pending.left, kWidth) << "the whole panel";
    Pump(50);
    SendMessageW(form->Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_FALSE(GetUpdateRect(form->LoginPanel.Handle(), &pending, FALSE)) << "other settings change nothing";
}

}  // namespace
