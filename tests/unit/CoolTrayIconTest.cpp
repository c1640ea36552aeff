#include "components/CoolTrayIcon.h"

#include "WidgetShellRecorder.h"
#include "WidgetTestIcons.h"
#include "WidgetTestWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace widget_test;

namespace {

constexpr UINT kOpenCommand = 101;

// One icon owned by a test window, talking to a recording stand-in for the shell.
class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create());
        icon = std::make_unique<TCoolTrayIcon>(owner.Handle(), shell.Function());
    }

    void TearDown() override {
        icon.reset();
        if (menu) DestroyMenu(menu);
    }

    // The shell delivering a callback for this icon.
    void Send(UINT event) { SendMessageW(TCoolTrayIcon::CallbackWindow(), TrayCallbackMessage, icon->Id(), event); }

    void UseMenu(bool leftPopup) {
        menu = MakeTestMenu();
        icon->SetPopupMenu(menu);
        icon->SetLeftPopup(leftPopup);
    }

    MenuOwnerWindow owner;
    ShellRecorder shell;
    std::unique_ptr<TCoolTrayIcon> icon;
    HMENU menu = nullptr;
    int clicks = 0;
    int doubleClicks = 0;
};

TEST_F(TrayIconTest, AddedEntryTellsTheShellWhereAndHowToCallBack) {
    ui::ScopedIcon picture = MakeSolidIcon(FrameColor(3));
    icon->SetHint(L"Tonalix");
    icon->SetIcon(picture);
    shell.calls.clear();

    icon->SetIconVisible(true);

    ASSERT_EQ(shell.calls.size(), 1u);
    const ShellCall& add = shell.Last();
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.data.cbSize, 936u);
    EXPECT_EQ(add.data.hWnd, TCoolTrayIcon::CallbackWindow());
    EXPECT_NE(add.data.hWnd, nullptr);
    EXPECT_EQ(add.data.uID, icon->Id());
    EXPECT_EQ(add.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(add.data.uCallbackMessage, 0x0800u);
    EXPECT_EQ(add.Tip(), L"Tonalix");
    EXPECT_EQ(add.frame, 3) << "the icon's own copy of the picture is shown";
    EXPECT_NE(add.data.hIcon, static_cast<HICON>(picture)) << "the icon keeps its own copy";
    EXPECT_TRUE(icon->IconVisible());

    icon->SetIconVisible(false);
    EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(icon->IconVisible());
}

TEST_F(TrayIconTest, DestructionRemovesTheEntry) {
    icon->SetIconVisible(true);
    icon.reset();
    ASSERT_FALSE(shell.calls.empty());
    EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayIconTest, IconAssignmentSendsExactlyOneUpdate) {
    ui::ScopedIcon picture = MakeSolidIcon(FrameColor(1));
    shell.calls.clear();
    icon->SetIcon(picture);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shell.Last().frame, 1);
}

struct HintCase {
    const char* name;
    std::wstring hint;
    bool showHint;
    std::wstring expectedTip;
};

TEST_F(TrayIconTest, TooltipIsCutTo127CharactersOrLeftEmpty) {
    const std::wstring smiley = L"\xD83D\xDE00";  // one character, two UTF-16 units
    const HintCase cases[] = {
        {"short", L"Tonalix (Online)", true, L"Tonalix (Online)"},
        {"200 characters", std::wstring(150, L'a') + std::wstring(50, L'b'), true, std::wstring(127, L'a')},
        {"exactly 127", std::wstring(127, L'c'), true, std::wstring(127, L'c')},
        {"empty", L"", true, L""},
        {"hidden", L"Tonalix", false, L""},
        {"pair on the cut", std::wstring(126, L'd') + smiley, true, std::wstring(126, L'd')},
    };
    for (const HintCase& c : cases) {
        icon->SetShowHint(c.showHint);
        icon->SetHint(c.hint);
        const ShellCall& update = shell.Last();
        EXPECT_EQ(update.message, static_cast<DWORD>(NIM_MODIFY)) << c.name;
        EXPECT_EQ(update.Tip(), c.expectedTip) << c.name;
        EXPECT_EQ(update.data.szTip[127], L'\0') << c.name;
    }
}

struct IndexCase {
    int assigned;
    int expected;
};

TEST_F(TrayIconTest, IconIndexIsLimitedToTheImageList) {
    ScopedImageList frames = MakeFrameList(10);
    icon->SetIconList(frames);
    EXPECT_EQ(shell.Last().frame, 0) << "a new list shows its first frame";
    const IndexCase cases[] = {{4, 4}, {25, 9}, {9, 9}, {10, 9}, {-3, 0}, {0, 0}};
    for (const IndexCase& c : cases) {
        shell.calls.clear();
        icon->SetIconIndex(c.assigned);
        EXPECT_EQ(icon->IconIndex(), c.expected) << c.assigned;
        ASSERT_EQ(shell.calls.size(), 1u) << c.assigned;
        EXPECT_EQ(shell.Last().frame, c.expected) << c.assigned;
    }
    icon->SetIconList(nullptr);
    icon->SetIconIndex(5);
    EXPECT_EQ(icon->IconIndex(), 0) << "without a list the index is 0";
}

TEST_F(TrayIconTest, CyclingShowsEachFrameInTurnAndRestartsAtFrameZero) {
    ScopedImageList frames = MakeFrameList(3);
    icon->SetIconList(frames);
    icon->SetCycleInterval(30);
    size_t first = shell.calls.size();
    icon->SetCycleIcons(true);
    ASSERT_TRUE(PumpUntil([&] { return shell.ModifiedFrames(first).size() >= 8; }));
    EXPECT_EQ(shell.ModifiedFrames(first), (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1}));

    // The status refresh assigns true again: the animation starts over at frame 0.
    first = shell.calls.size();
    icon->SetCycleIcons(true);
    ASSERT_TRUE(PumpUntil([&] { return shell.ModifiedFrames(first).size() >= 3; }));
    EXPECT_EQ(shell.ModifiedFrames(first).front(), 0);
    EXPECT_EQ(shell.ModifiedFrames(first)[1], 1);

    icon->SetCycleIcons(false);
    const int shown = icon->IconIndex();
    first = shell.calls.size();
    PumpMessagesFor(150);
    EXPECT_EQ(shell.calls.size(), first) << "stopped: no more frames";
    EXPECT_EQ(icon->IconIndex(), shown) << "the current frame stays";
}

TEST_F(TrayIconTest, CyclingWithoutAnImageListRunsTheTimerButChangesNothing) {
    icon->SetCycleInterval(20);
    icon->SetCycleIcons(true);
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 1u);
    const size_t before = shell.calls.size();
    PumpMessagesFor(150);
    EXPECT_EQ(shell.calls.size(), before);
    EXPECT_EQ(icon->IconIndex(), 0);
}

TEST_F(TrayIconTest, CycleIntervalZeroShowsFrameZeroWithoutAnimating) {
    ScopedImageList frames = MakeFrameList(4);
    icon->SetIconList(frames);
    icon->SetIconIndex(2);
    icon->SetCycleIcons(true);
    EXPECT_EQ(shell.Last().frame, 0);
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 0u);
    const size_t before = shell.calls.size();
    PumpMessagesFor(100);
    EXPECT_EQ(shell.calls.size(), before);

    // Giving it a period later starts the animation, again from frame 0.
    icon->SetCycleInterval(20);
    EXPECT_EQ(TSimpleTimer::ActiveCount(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return shell.ModifiedFrames(before).size() >= 3; }));
    EXPECT_EQ(shell.ModifiedFrames(before), (std::vector<int>{0, 1, 2}));
}

TEST_F(TrayIconTest, BalloonIsRequestedOnceWithTextsCutAndTimeoutInMilliseconds) {
    icon->SetIconVisible(true);
    icon->SetHint(L"Tonalix");
    const size_t first = shell.calls.size();
    const std::wstring title(100, L'T');
    const std::wstring text(300, L'x');

    EXPECT_TRUE(icon->ShowBalloonHint(title, text, TBalloonHintIcon::bitWarning, 30));

    ASSERT_EQ(shell.calls.size(), first + 2);
    const ShellCall& hide = shell.calls[first];
    EXPECT_EQ(hide.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(hide.data.uFlags & NIF_INFO, static_cast<UINT>(NIF_INFO)) << "an old balloon is taken down first";
    EXPECT_EQ(hide.Info(), L"");
    const ShellCall& show = shell.calls[first + 1];
    EXPECT_EQ(show.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(show.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO));
    EXPECT_EQ(show.Info(), std::wstring(255, L'x'));
    EXPECT_EQ(show.InfoTitle(), std::wstring(63, L'T'));
    EXPECT_EQ(show.data.TimeoutOrVersion, 30000u);
    EXPECT_EQ(show.data.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_EQ(show.Tip(), L"Tonalix") << "the tooltip goes along";

    // Later updates must not bring the balloon back.
    icon->SetHint(L"Tonalix (Online)");
    EXPECT_EQ(shell.Last().data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    int balloonRequests = 0;
    for (const ShellCall& call : shell.calls) balloonRequests += (call.data.uFlags & NIF_INFO) && !call.Info().empty();
    EXPECT_EQ(balloonRequests, 1);
}

TEST_F(TrayIconTest, BalloonIconKindsAndTimeoutLimits) {
    struct Case {
        TBalloonHintIcon kind;
        TBalloonHintTimeOut seconds;
        DWORD flags;
        UINT timeout;
    };
    const Case cases[] = {
        {TBalloonHintIcon::bitNone, 10, NIIF_NONE, 10000},   {TBalloonHintIcon::bitInfo, 30, NIIF_INFO, 30000},
        {TBalloonHintIcon::bitWarning, 60, NIIF_WARNING, 60000}, {TBalloonHintIcon::bitError, 5, NIIF_ERROR, 10000},
        {TBalloonHintIcon::bitCustom, 200, NIIF_USER, 60000},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(icon->ShowBalloonHint(L"Title", L"Text", c.kind, c.seconds));
        EXPECT_EQ(shell.Last().data.dwInfoFlags, c.flags) << static_cast<int>(c.kind);
        EXPECT_EQ(shell.Last().data.TimeoutOrVersion, c.timeout) << static_cast<int>(c.seconds);
    }
}

TEST_F(TrayIconTest, BalloonReportsTheShellsRefusal) {
    shell.result = FALSE;
    EXPECT_FALSE(icon->ShowBalloonHint(L"Tonalix software update", L"A new version", TBalloonHintIcon::bitInfo, 30));
    shell.result = TRUE;
    icon->SetHint(L"x");
    EXPECT_EQ(shell.Last().data.uFlags & NIF_INFO, 0u) << "a refused balloon is not retried by later updates";
}

TEST_F(TrayIconTest, DoubleClickWithAHandlerRaisesItOnceAndNoClickNorMenu) {
    UseMenu(true);
    icon->OnClick = [&] { ++clicks; };
    icon->OnDblClick = [&] { ++doubleClicks; };

    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    Send(WM_LBUTTONDBLCLK);
    Send(WM_LBUTTONUP);
    PumpMessagesFor(GetDoubleClickTime() + 200);

    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(owner.menuOpenings, 0);
}

TEST_F(TrayIconTest, SingleClickWithLeftPopupOpensTheMenuAtTheCursorAfterTheDoubleClickTime) {
    UseMenu(true);
    icon->OnClick = [&] { ++clicks; };
    icon->OnDblClick = [&] { ++doubleClicks; };
    SetCursorPos(300, 200);

    const DWORD released = GetTickCount();
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    EXPECT_EQ(owner.menuOpenings, 0) << "a double click may still follow";
    EXPECT_EQ(clicks, 0);

    ASSERT_TRUE(PumpUntil([&] { return clicks > 0; }));
    EXPECT_EQ(owner.menuOpenings, 1);
    EXPECT_GE(owner.lastMenuOpenedAt - released + 20, GetDoubleClickTime());
    EXPECT_EQ(owner.lastMenuRect.left, 300);
    EXPECT_EQ(owner.lastMenuRect.top, 200);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubleClicks, 0);
}

TEST_F(TrayIconTest, WithoutADoubleClickHandlerTheClickComesAtTheRelease) {
    icon->OnClick = [&] { ++clicks; };
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(clicks, 0);
    Send(WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1);
    Send(WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1) << "a release without a press is no click";
}

TEST_F(TrayIconTest, RightPressOpensTheMenuAtOnce) {
    UseMenu(false);
    SetCursorPos(320, 240);
    Send(WM_RBUTTONDOWN);  // returns once the menu has closed
    EXPECT_EQ(owner.menuOpenings, 1);
    EXPECT_EQ(owner.lastMenuRect.left, 320);
    EXPECT_EQ(owner.lastMenuRect.top, 240);
    Send(WM_RBUTTONUP);
    EXPECT_EQ(owner.menuOpenings, 1) << "the release does not open it again";
}

TEST_F(TrayIconTest, AChosenMenuItemReachesTheOwner) {
    UseMenu(false);
    owner.menuAction = MenuOwnerWindow::MenuAction::ChooseFirstItem;
    Send(WM_RBUTTONDOWN);
    ASSERT_TRUE(PumpUntil([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(owner.commands, std::vector<UINT>{kOpenCommand});
}

TEST_F(TrayIconTest, DoubleClickWithoutLeftPopupChoosesTheDefaultItem) {
    UseMenu(false);
    SetMenuDefaultItem(menu, kOpenCommand, FALSE);
    icon->OnDblClick = [&] { ++doubleClicks; };
    Send(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(PumpUntil([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(owner.commands, std::vector<UINT>{kOpenCommand});
    EXPECT_EQ(owner.menuOpenings, 0);
}

TEST_F(TrayIconTest, DisabledIgnoresTheMouseButNotTheBalloon) {
    UseMenu(true);
    icon->OnClick = [&] { ++clicks; };
    icon->OnDblClick = [&] { ++doubleClicks; };
    int balloonClicks = 0;
    icon->OnBalloonHintClick = [&] { ++balloonClicks; };
    icon->SetEnabled(false);

    for (UINT event : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_RBUTTONDOWN}) Send(event);
    PumpMessagesFor(GetDoubleClickTime() + 100);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(doubleClicks, 0);
    EXPECT_EQ(owner.menuOpenings, 0);

    Send(NIN_BALLOONUSERCLICK);
    EXPECT_EQ(balloonClicks, 1);
}

TEST_F(TrayIconTest, EachBalloonNotificationRaisesItsOwnEvent) {
    int shown = 0, hidden = 0, timedOut = 0, clicked = 0;
    icon->OnBalloonHintShow = [&] { ++shown; };
    icon->OnBalloonHintHide = [&] { ++hidden; };
    icon->OnBalloonHintTimeout = [&] { ++timedOut; };
    icon->OnBalloonHintClick = [&] { ++clicked; };
    Send(NIN_BALLOONSHOW);
    Send(NIN_BALLOONTIMEOUT);
    Send(NIN_BALLOONTIMEOUT);
    Send(NIN_BALLOONUSERCLICK);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(hidden, 0);
    EXPECT_EQ(timedOut, 2);
    EXPECT_EQ(clicked, 1);
    Send(NIN_BALLOONHIDE);
    EXPECT_EQ(hidden, 1);
}

TEST_F(TrayIconTest, ShellRestartAddsTheEntryAgainOnlyWhileVisible) {
    ScopedImageList frames = MakeFrameList(5);
    icon->SetIconList(frames);
    icon->SetIconIndex(3);
    icon->SetHint(L"Tonalix (Indexing)");
    icon->SetIconVisible(true);
    shell.calls.clear();

    SendMessageW(TCoolTrayIcon::CallbackWindow(), TCoolTrayIcon::TaskbarCreatedMessage(), 0, 0);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shell.Last().frame, 3);
    EXPECT_EQ(shell.Last().Tip(), L"Tonalix (Indexing)");

    icon->SetIconVisible(false);
    shell.calls.clear();
    SendMessageW(TCoolTrayIcon::CallbackWindow(), TCoolTrayIcon::TaskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconTest, ACallbackForAnIconThatIsGoneIsIgnored) {
    ShellRecorder otherShell;
    auto other = std::make_unique<TCoolTrayIcon>(nullptr, otherShell.Function());
    int otherClicks = 0;
    other->OnClick = [&] { ++otherClicks; };
    const UINT staleId = other->Id();
    other.reset();

    SendMessageW(TCoolTrayIcon::CallbackWindow(), TrayCallbackMessage, staleId, WM_LBUTTONDOWN);
    SendMessageW(TCoolTrayIcon::CallbackWindow(), TrayCallbackMessage, staleId, WM_LBUTTONUP);
    SendMessageW(TCoolTrayIcon::CallbackWindow(), TrayCallbackMessage, 0xDEADBEEF, NIN_BALLOONUSERCLICK);
    EXPECT_EQ(otherClicks, 0);

    // A new icon never inherits an old identifier.
    TCoolTrayIcon next(nullptr, otherShell.Function());
    EXPECT_NE(next.Id(), staleId);
}

TEST_F(TrayIconTest, AHandlerMayDestroyTheIcon) {
    UseMenu(true);
    icon->OnClick = [&] { icon.reset(); };
    icon->OnDblClick = [&] { ++doubleClicks; };
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return icon == nullptr; }));
    PumpMessagesFor(50);
    EXPECT_EQ(owner.menuOpenings, 1);
    EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_DELETE));
}

TEST(TrayIconHandler, IsSharedAndLivesAsLongAsTheLastIcon) {
    ShellRecorder shell;
    auto first = std::make_unique<TCoolTrayIcon>(nullptr, shell.Function());
    const HWND window = TCoolTrayIcon::CallbackWindow();
    ASSERT_TRUE(IsWindow(window));
    auto second = std::make_unique<TCoolTrayIcon>(nullptr, shell.Function());
    EXPECT_EQ(TCoolTrayIcon::CallbackWindow(), window);
    EXPECT_NE(first->Id(), second->Id());

    // Nothing outside may close it, and it never objects to the session ending.
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);

    first.reset();
    EXPECT_TRUE(IsWindow(window));
    second.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(TCoolTrayIcon::CallbackWindow(), nullptr);
}

TEST(TrayIconOwner, AnExplicitShowBringsTheOwnerForward) {
    MenuOwnerWindow owner;
    MenuOwnerWindow other;
    ASSERT_TRUE(owner.Create());
    ASSERT_TRUE(other.Create());
    ShellRecorder shell;
    auto icon = std::make_unique<TCoolTrayIcon>(owner.Handle(), shell.Function());

    other.Show(SW_SHOW);
    SetForegroundWindow(other.Handle());
    ASSERT_EQ(GetForegroundWindow(), other.Handle());
    owner.Show(SW_SHOWNA);  // a show that would not activate by itself
    EXPECT_EQ(GetForegroundWindow(), owner.Handle());

    // Without the icon the owner is left alone again.
    icon.reset();
    owner.Hide();
    SetForegroundWindow(other.Handle());
    owner.Show(SW_SHOWNA);
    EXPECT_EQ(GetForegroundWindow(), other.Handle());
}

TEST(TrayIconOwner, AnOwnerDestroyedFirstLeavesAWorkingIcon) {
    auto owner = std::make_unique<MenuOwnerWindow>();
    ASSERT_TRUE(owner->Create());
    ShellRecorder shell;
    TCoolTrayIcon icon(owner->Handle(), shell.Function());
    icon.SetIconVisible(true);
    owner.reset();

    int clicks = 0;
    icon.OnClick = [&] { ++clicks; };
    SendMessageW(TCoolTrayIcon::CallbackWindow(), TrayCallbackMessage, icon.Id(), WM_LBUTTONDOWN);
    SendMessageW(TCoolTrayIcon::CallbackWindow(), TrayCallbackMessage, icon.Id(), WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1);
    icon.SetHint(L"still here");
    EXPECT_EQ(shell.Last().Tip(), L"still here");
}

}  // namespace
