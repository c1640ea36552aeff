// The three windows at the display's scale: client sizes, control rectangles, font heights,
// pictures and the notification-area icon, and a move to a monitor of another scale. The same
// tests run in prefixes set to 96, 120, 144 and 192 dpi; TONALIX_EXPECT_DPI names the scale a
// prefix must have, so a prefix that lost its setting fails instead of testing 96 dpi again.
#include "GUI/AboutUnit.h"
#include "GUI/Application.h"
#include "GUI/OptionsUnit.h"
#include "GUI/VersionInfo.h"
#include "MainWindowFixture.h"
#include "bench/GuiObjectCount.h"
#include "ui/Dpi.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tests;

namespace {

// What each scale gives, written out rather than computed, for the sizes the layout is known by.
struct Expected {
    int dpi;
    SIZE main, options, about;
    int iconSize;
    int fontHeight;  // the windows' 8-point Tahoma (-11 at 96 dpi)
};
const Expected kExpected[] = {
    {96, {208, 184}, {428, 379}, {250, 300}, 16, -11},
    {120, {260, 230}, {535, 474}, {313, 375}, 20, -14},
    {144, {312, 276}, {642, 569}, {375, 450}, 24, -17},
    {192, {416, 368}, {856, 758}, {500, 600}, 32, -22},
};

const Expected* ExpectedFor(int dpi) {
    for (const Expected& e : kExpected)
        if (e.dpi == dpi) return &e;
    return nullptr;
}

RECT Scaled(int left, int top, int width, int height, int dpi) { return ui::ScaleRect(left, top, width, height, dpi); }

SIZE ClientSize(HWND window) {
    RECT rc{};
    GetClientRect(window, &rc);
    return SIZE{rc.right, rc.bottom};
}

int FontHeight(HFONT font) {
    LOGFONTW lf{};
    return GetObjectW(font, sizeof lf, &lf) ? lf.lfHeight : 0;
}

int ControlFontHeight(HWND control) {
    return FontHeight(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return SIZE{0, 0};
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return SIZE{bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
    if (EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.left << "," << actual.top << ")-(" << actual.right << ","
                                         << actual.bottom << ") instead of (" << expected.left << "," << expected.top
                                         << ")-(" << expected.right << "," << expected.bottom << ")";
}

// A rectangle moved right by dx.
RECT operator+(RECT r, int dx) {
    OffsetRect(&r, dx, 0);
    return r;
}

bool SameSize(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }

class DisplayScaleTest : public MainWindowTest {
protected:
    void SetUp() override {
        if (const char* expected = std::getenv("TONALIX_EXPECT_DPI")) {
            ASSERT_EQ(ui::SystemDpi(), std::atoi(expected)) << "the prefix's LogPixels";
        }
        MainWindowTest::SetUp();
        Application().SetIdleHandler(nullptr);
        ProgramVersion = std::make_unique<TVersionInfo>();
        OptionsForm = std::make_unique<TOptionsForm>();
        ASSERT_TRUE(OptionsForm->Create(form->Handle()));
        AboutForm = std::make_unique<TAboutForm>();
        AboutForm->SoundPlayer = [](const wchar_t*, HMODULE, DWORD) {};
        ASSERT_EQ(AboutForm->Create(form->Handle()), TAboutCreateResult::Created);
    }
    void TearDown() override {
        AboutForm.reset();
        OptionsForm.reset();
        MainWindowTest::TearDown();
        ProgramVersion.reset();
    }

    // Everything the main window places, checked at `dpi`.
    void ExpectMainWindowAt(int dpi) {
        const Expected* e = ExpectedFor(dpi);
        ASSERT_NE(e, nullptr) << dpi;
        EXPECT_EQ(form->Dpi(), dpi);
        EXPECT_TRUE(SameSize(ClientSize(form->Handle()), e->main));
        for (ui::Panel* panel : {&form->LoginPanel, &form->StatusPanel})
            EXPECT_TRUE(SameSize(ClientSize(panel->Handle()), e->main));
        const struct {
            const char* name;
            RECT actual, design;
        } rects[] = {
            {"UsernameEdit", form->UsernameEdit.Bounds(), Scaled(8, 40, 192, 21, dpi)},
            {"PasswordEdit", form->PasswordEdit.Bounds(), Scaled(8, 96, 192, 21, dpi)},
            {"LoginButton", form->LoginButton.Bounds(), Scaled(8, 148, 72, 24, dpi)},
            {"MusicButton1", form->MusicButton1.Bounds(), Scaled(128, 148, 72, 24, dpi)},
            {"LogoutButton", form->LogoutButton.Bounds(), Scaled(8, 148, 72, 24, dpi)},
            {"MusicButton2", form->MusicButton2.Bounds(), Scaled(128, 148, 72, 24, dpi)},
            {"LoginTitleLabel", form->LoginTitleLabel.Bounds(), Scaled(0, 6, 206, 16, dpi)},
            {"StatusDescriptionLabel", form->StatusDescriptionLabel.Bounds(), Scaled(0, 52, 208, 42, dpi)},
            {"InfoLabel", form->InfoLabel.Bounds(), Scaled(8, 100, 192, 42, dpi)},
            {"UploadsLeftProgress", form->UploadsLeftProgress.Bounds(), Scaled(8, 116, 192, 24, dpi)},
            {"StatusImageIdle", form->StatusImageIdle.Bounds(), Scaled(8, 4, 44, 44, dpi)},
            {"BGImage", form->BGImage.Bounds(), RECT{0, 0, e->main.cx, e->main.cy}},
            // The update flag keeps to the top-right corner.
            {"SWUpdateImage", form->SWUpdateImage.Bounds(),
             RECT{e->main.cx - ui::Scale(27, dpi), 0, e->main.cx, ui::Scale(21, dpi)}},
        };
        for (const auto& r : rects) EXPECT_TRUE(SameRect(r.actual, r.design)) << r.name;
        // Link labels keep their corner and height and are wide enough for their text.
        // At 96 dpi they are exactly as designed.
        const struct {
            ui::Label& label;
            RECT design;
        } links[] = {{form->NewuserLabel, Scaled(8, 64, 153, 13, dpi)}, {form->LostPassLabel, Scaled(8, 120, 111, 13, dpi)}};
        for (const auto& link : links) {
            const RECT b = link.label.Bounds();
            EXPECT_EQ(b.left, link.design.left);
            EXPECT_EQ(b.top, link.design.top);
            EXPECT_EQ(b.bottom, link.design.bottom);
            if (dpi == ui::kDesignDpi) {
                EXPECT_EQ(b.right, link.design.right);
            } else {
                EXPECT_GE(b.right, link.design.right);
                EXPECT_GE(link.label.Width(), link.label.TextWidth());
            }
        }
        // Auto-sized labels keep their corner.
        EXPECT_EQ(form->UsernameLabel.Bounds().left, ui::Scale(8, dpi));
        EXPECT_EQ(form->UsernameLabel.Bounds().top, ui::Scale(24, dpi));

        EXPECT_EQ(ControlFontHeight(form->UsernameEdit.Handle()), e->fontHeight);
        EXPECT_EQ(ControlFontHeight(form->LogoutButton.Handle()), e->fontHeight);
        EXPECT_EQ(FontHeight(form->LoginTitleLabel.FontHandle()), ui::Scale(-13, dpi));
        EXPECT_EQ(FontHeight(form->StatusLabel.FontHandle()), ui::Scale(-27, dpi));
        EXPECT_EQ(FontHeight(form->InfoLabel.FontHandle()), e->fontHeight);
        EXPECT_EQ(FontHeight(form->UploadsLeftProgress.CaptionFont()), e->fontHeight);

        // Pictures at their scaled size.
        EXPECT_TRUE(SameSize(SIZE{form->BGImage.Picture().Width(), form->BGImage.Picture().Height()}, e->main));
        EXPECT_EQ(form->StatusImageIdle.Picture().Width(), ui::Scale(44, dpi));
        EXPECT_EQ(form->StatusImageIdle.Picture().Height(), ui::Scale(44, dpi));
        for (const ui::PngImage& frame : form->notificationImages) {
            EXPECT_EQ(frame.Width(), ui::Scale(27, dpi));
            EXPECT_EQ(frame.Height(), ui::Scale(21, dpi));
        }
    }

    void ExpectOptionsAt(int dpi) {
        const Expected* e = ExpectedFor(dpi);
        ASSERT_NE(e, nullptr) << dpi;
        TOptionsForm& options = *OptionsForm;
        EXPECT_TRUE(SameSize(ClientSize(options.Handle()), e->options));
        const struct {
            const char* name;
            RECT actual, design;
        } rects[] = {
            {"PageControl1", options.PageControl1.Bounds(), Scaled(8, 8, 412, 336, dpi)},
            {"DoneButton1", options.DoneButton1.Bounds(), Scaled(264, 350, 75, 25, dpi)},
            {"CancelButton1", options.CancelButton1.Bounds(), Scaled(345, 350, 75, 25, dpi)},
            {"PathListBox", options.PathListBox.Bounds(), Scaled(3, 3, 348, 229, dpi)},
            {"AddPathBtn", options.AddPathBtn.Bounds(), Scaled(354, 3, 46, 46, dpi)},
            {"RemovePathBtn", options.RemovePathBtn.Bounds(), Scaled(354, 55, 47, 46, dpi)},
            {"FolderImage", options.FolderImage.Bounds(), Scaled(13, 23, 58, 42, dpi)},
        };
        for (const auto& r : rects) EXPECT_TRUE(SameRect(r.actual, r.design)) << r.name;
        // Check boxes and radio buttons keep their corner and height and are at least as wide as
        // scaled; wider only where their text needs it, never at 96 dpi.
        const struct {
            const char* name;
            const ui::WindowedControl& control;
            RECT design;
        } texts[] = {
            {"StartupCheckbox", options.StartupCheckbox, Scaled(3, 21, 222, 17, dpi)},
            {"LoginCheckbox", options.LoginCheckbox, Scaled(3, 44, 222, 17, dpi)},
            {"BWCheckBox", options.BWCheckBox, Scaled(3, 67, 119, 17, dpi)},
            {"FoldersRadioBtn", options.FoldersRadioBtn, Scaled(77, 20, 175, 17, dpi)},
            {"ItunesRadioBtn", options.ItunesRadioBtn, Scaled(77, 43, 148, 17, dpi)},
        };
        for (const auto& t : texts) {
            const RECT b = t.control.Bounds();
            EXPECT_EQ(b.left, t.design.left) << t.name;
            EXPECT_EQ(b.top, t.design.top) << t.name;
            EXPECT_EQ(b.bottom, t.design.bottom) << t.name;
            if (dpi == ui::kDesignDpi) {
                EXPECT_EQ(b.right, t.design.right) << t.name;
            } else {
                EXPECT_GE(b.right, t.design.right) << t.name;
                EXPECT_GT(b.right - b.left, t.control.TextWidth()) << t.name;
            }
        }
        // The upload limit's edit, spin buttons and unit follow the check box at their distances.
        const RECT box = options.BWCheckBox.Bounds(), edit = options.BWEdit.Bounds(), spin = options.BWUpDown.Bounds();
        const int grown = (box.right - box.left) - ui::Scale(119, dpi);
        EXPECT_TRUE(SameRect(edit, Scaled(125, 65, 28, 21, dpi) + grown)) << "BWEdit";
        EXPECT_TRUE(SameRect(spin, Scaled(153, 65, 15, 21, dpi) + grown)) << "BWUpDown";
        EXPECT_EQ(options.BWLabel.Bounds().left, ui::Scale(172, dpi) + grown);
        EXPECT_GT(options.BWLabel.Width(), 0);
        EXPECT_EQ(ControlFontHeight(options.DoneButton1.Handle()), e->fontHeight);
        EXPECT_EQ(ControlFontHeight(options.BWEdit.Handle()), e->fontHeight);
        EXPECT_EQ(ControlFontHeight(options.PathListBox.Handle()), e->fontHeight);
        EXPECT_EQ(SendMessageW(options.PathListBox.Handle(), LB_GETITEMHEIGHT, 0, 0), ui::Scale(13, dpi));
        EXPECT_EQ(options.AddPathBtn.CurrentPicture().Width(), ui::Scale(32, dpi));
        EXPECT_EQ(options.ItunesImage.Picture().Width(), ui::Scale(51, dpi));

        MINMAXINFO limits{};
        SendMessageW(options.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.x, ui::Scale(342, dpi));
        EXPECT_EQ(limits.ptMinTrackSize.y, ui::Scale(342, dpi));
    }

    void ExpectAboutAt(int dpi) {
        const Expected* e = ExpectedFor(dpi);
        ASSERT_NE(e, nullptr) << dpi;
        RECT window{};
        GetWindowRect(AboutForm->Handle(), &window);
        EXPECT_TRUE(SameSize(SIZE{window.right - window.left, window.bottom - window.top}, e->about));
        BITMAP content{};
        ASSERT_TRUE(GetObjectW(AboutForm->GetFormBitmap().bitmap.Get(), sizeof content, &content));
        EXPECT_TRUE(SameSize(SIZE{content.bmWidth, std::abs(content.bmHeight)}, e->about));
    }

    static BOOL CALLBACK ValidateWindow(HWND window, LPARAM) {
        RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
        return TRUE;
    }

    // What the system would send when the window reaches a monitor of `dpi`.
    static void SendDpiChanged(HWND window, int dpi, SIZE size) {
        RECT suggested{};
        GetWindowRect(window, &suggested);
        suggested.right = suggested.left + size.cx;
        suggested.bottom = suggested.top + size.cy;
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }

    void MoveAllTo(int dpi) {
        for (ui::Form* window : {static_cast<ui::Form*>(form.get()), static_cast<ui::Form*>(OptionsForm.get()),
                                 static_cast<ui::Form*>(AboutForm.get())}) {
            RECT rc{};
            GetWindowRect(window->Handle(), &rc);
            const int from = window->Dpi();
            SendDpiChanged(window->Handle(), dpi,
                           SIZE{MulDiv(rc.right - rc.left, dpi, from), MulDiv(rc.bottom - rc.top, dpi, from)});
        }
        Pump();
    }
};

}  // namespace

TEST_F(DisplayScaleTest, TheWindowsTakeTheSystemScale) {
    const int dpi = ui::SystemDpi();
    EXPECT_EQ(form->Dpi(), dpi);
    EXPECT_EQ(OptionsForm->Dpi(), dpi);
    EXPECT_EQ(AboutForm->Dpi(), dpi);
    ExpectMainWindowAt(dpi);
    ExpectOptionsAt(dpi);
    ExpectAboutAt(dpi);
}

TEST_F(DisplayScaleTest, NotificationAreaIconIsTheShellsSmallIconSize) {
    const Expected* e = ExpectedFor(ui::SystemDpi());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), e->iconSize);
    EXPECT_TRUE(SameSize(IconSize(form->TrayIcon->Icon()), SIZE{e->iconSize, e->iconSize}));
    EXPECT_TRUE(SameSize(IconSize(form->TrayIconConnectedImage.Handle()), SIZE{e->iconSize, e->iconSize}));
    for (ui::ImageList* list : {&form->ConnectingTrayIconAnim, &form->StreamingTrayIconAnim,
                                &form->UploadingTrayIconAnim, &form->IndexingTrayIconAnim}) {
        EXPECT_EQ(list->FrameSize(), e->iconSize);
        EXPECT_GE(list->Count(), 4);
    }
    // An animation shows its frames at that size too.
    Event(7);
    EXPECT_TRUE(SameSize(IconSize(form->TrayIcon->Icon()), SIZE{e->iconSize, e->iconSize}));
}

TEST_F(DisplayScaleTest, MovingToAnotherScaleLaysEveryWindowOutAgain) {
    const int start = form->Dpi();
    form->Show(SW_SHOWNORMAL);
    form->ShowStatusPanel();
    Pump();
    for (const int dpi : {192, 120, 144, start}) {
        MoveAllTo(dpi);
        SCOPED_TRACE(dpi);
        ExpectMainWindowAt(dpi);
        ExpectOptionsAt(dpi);
        ExpectAboutAt(dpi);
        // The notification-area icon follows the main window's scale.
        EXPECT_EQ(form->ConnectingTrayIconAnim.FrameSize(), ui::SmallIconSize(dpi));
    }
}

TEST_F(DisplayScaleTest, TheSuggestedPlaceIsTaken) {
    RECT suggested{40, 30, 40 + 500, 30 + 500};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(form->Handle(), &now);
    EXPECT_EQ(now.left, 40);
    EXPECT_EQ(now.top, 30);
    EXPECT_TRUE(SameSize(ClientSize(form->Handle()), SIZE{416, 368}));
}

TEST_F(DisplayScaleTest, AHundredChangesOfScaleAddNoObjects) {
    // The same code runs whatever the scale the program starts at: once, at 96 dpi, is enough.
    if (ui::SystemDpi() != ui::kDesignDpi) GTEST_SKIP() << "checked in the 96-dpi run";
    form->Show(SW_SHOWNORMAL);
    form->ShowStatusPanel();
    Pump();
    const int start = form->Dpi();
    const int other = start == 192 ? 120 : 192;
    auto count = [this] {
        form->TrayIcon->SetIconList(nullptr);
        Pump();
        EnumThreadWindows(GetCurrentThreadId(), &ValidateWindow, 0);
        return bench::CountOwnGuiObjects();
    };
    // Once each way first: the system keeps some objects of its own once they have been needed.
    MoveAllTo(other);
    MoveAllTo(start);
    const bench::GuiObjectCounts before = count();
    for (int i = 0; i < 50; ++i) {
        MoveAllTo(other);
        MoveAllTo(start);
    }
    const bench::GuiObjectCounts after = count();
    EXPECT_EQ(after.gdi, before.gdi) << "GDI objects";
    EXPECT_EQ(after.user, before.user) << "USER objects";
    ExpectMainWindowAt(start);
}
