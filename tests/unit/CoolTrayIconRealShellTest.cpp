// The tray icon against Wine's own notification area: each icon there is a small window of the
// shell's process, which passes the mouse on to the icon's owner like the real shell does.
#include "components/CoolTrayIcon.h"
#include "components/TextGauge.h"

#include "WidgetTestIcons.h"
#include "WidgetTestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace widget_test;

namespace {

BOOL CALLBACK CollectIconWindow(HWND child, LPARAM list) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (wcsstr(name, L"tray_icon")) reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

BOOL CALLBACK SearchTopWindow(HWND top, LPARAM list) {
    EnumChildWindows(top, CollectIconWindow, list);
    return TRUE;
}

// Every icon window of the shell's notification area.
std::vector<HWND> ShellIconWindows() {
    std::vector<HWND> windows;
    EnumWindows(SearchTopWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Shows the icon and returns the shell's window for it (null if the shell made none).
HWND ShowAndFindShellWindow(TCoolTrayIcon& icon) {
    const std::vector<HWND> before = ShellIconWindows();
    icon.SetIconVisible(true);
    HWND found = nullptr;
    PumpUntil(
        [&] {
            for (HWND w : ShellIconWindows()) {
                if (std::find(before.begin(), before.end(), w) == before.end()) found = w;
            }
            return found != nullptr;
        },
        3000);
    return found;
}

COLORREF ScreenColorAtCentre(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    ui::ScopedWindowDC screen(nullptr);
    return GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

class RealShell : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create());
        menu = MakeTestMenu();
        icon = std::make_unique<TCoolTrayIcon>(owner.Handle());
        icon->SetIcon(picture);
        icon->SetHint(L"Tonalix");
        icon->SetPopupMenu(menu);
    }

    void TearDown() override {
        icon.reset();
        DestroyMenu(menu);
    }

    MenuOwnerWindow owner;
    HMENU menu = nullptr;
    ui::ScopedIcon picture = MakeSolidIcon(FrameColor(5));
    std::unique_ptr<TCoolTrayIcon> icon;
};

TEST_F(RealShell, AcceptsTheEntryAndPassesItsClicksBack) {
    const HWND shown = ShowAndFindShellWindow(*icon);
    ASSERT_NE(shown, nullptr) << "the shell shows no new icon";
    EXPECT_TRUE(icon->Refresh()) << "the shell knows the entry";

    int clicks = 0;
    icon->OnClick = [&] { ++clicks; };
    PostMessageW(shown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageW(shown, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }, 3000));

    PostMessageW(shown, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
    EXPECT_TRUE(PumpUntil([&] { return owner.menuOpenings == 1; }, 3000)) << "a right press opens the menu";

    EXPECT_TRUE(icon->ShowBalloonHint(L"Tonalix software update",
                                      L"A new version of Tonalix is available. Click here to download it.",
                                      TBalloonHintIcon::bitInfo, 30));

    icon->SetIconVisible(false);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(shown); }, 3000)) << "the shell removed the icon";
    EXPECT_FALSE(icon->Refresh()) << "the shell no longer knows the entry";
}

TEST_F(RealShell, AnEntryLostWithTheShellComesBackWhenTheShellAnnouncesItself) {
    ASSERT_NE(ShowAndFindShellWindow(*icon), nullptr);
    // What a restarted shell looks like: the entry is gone without the icon being told.
    NOTIFYICONDATAW gone{};
    gone.cbSize = sizeof(gone);
    gone.hWnd = TCoolTrayIcon::CallbackWindow();
    gone.uID = icon->Id();
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
    ASSERT_FALSE(icon->Refresh());

    SendMessageW(TCoolTrayIcon::CallbackWindow(), TCoolTrayIcon::TaskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(icon->Refresh()) << "added again";
}

// The demo: an animated icon with a hint, a balloon and a working menu, beside a window with the
// upload gauge. TONALIX_DEMO_SECONDS keeps it on screen for a person to look at and click.
TEST(TrayIconDemo, AnimatedIconWithHintBalloonMenuAndGauge) {
    const char* demoSeconds = std::getenv("TONALIX_DEMO_SECONDS");
    const DWORD stayMs = demoSeconds ? static_cast<DWORD>(std::atoi(demoSeconds)) * 1000 : 0;

    TestForm form;
    ASSERT_TRUE(form.Create(208, 184));
    TTextGauge gauge;
    gauge.SetBounds(8, 116, 192, 24);
    gauge.SetForeColor(RGB(158, 254, 183));
    gauge.SetParent(&form);
    gauge.SetText(L"Storing track 1.50 of 3");
    gauge.SetProgress(50);

    MenuOwnerWindow owner;
    ASSERT_TRUE(owner.Create());
    owner.menuAction = stayMs ? MenuOwnerWindow::MenuAction::Leave : MenuOwnerWindow::MenuAction::Close;
    HMENU menu = MakeTestMenu();
    ScopedImageList frames = MakeFrameList(10);
    {
        TCoolTrayIcon icon(owner.Handle());
        icon.SetHint(L"Tonalix (Storing music)");
        icon.SetPopupMenu(menu);
        icon.SetLeftPopup(true);
        icon.OnDblClick = [&] { form.Show(SW_SHOW); };
        icon.SetIconList(frames);
        icon.SetCycleInterval(300);
        icon.SetCycleIcons(true);
        const HWND shown = ShowAndFindShellWindow(icon);
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(icon.ShowBalloonHint(L"Tonalix software update",
                                         L"A new version of Tonalix is available. Click here to download it.",
                                         TBalloonHintIcon::bitInfo, 30));

        // The animation reaches the screen: the shell's icon changes colour frame by frame.
        const COLORREF first = ScreenColorAtCentre(shown);
        EXPECT_TRUE(PumpUntil([&] { return ScreenColorAtCentre(shown) != first; }, 3000));
        ui::ScopedWindowDC dc(form.Handle());
        EXPECT_EQ(GetPixel(dc, 8 + 20, 116 + 2), RGB(158, 254, 183)) << "the bar";
        EXPECT_EQ(GetPixel(dc, 8 + 180, 116 + 2), RGB(255, 255, 255)) << "the rest";
        EXPECT_GT(gauge.PaintCount(), 0u);

        PumpMessagesFor(stayMs);
    }
    DestroyMenu(menu);
}

}  // namespace
