// The main window as a user drives it: links and menus open their pages or ask their questions,
// the notification-area menu leaves the other windows where they are, and the keyboard focus is
// where typing should go.
#include "BoxWatcher.h"
#include "GUI/AboutUnit.h"
#include "GUI/Application.h"
#include "GUI/VersionInfo.h"
#include "MainWindowFixture.h"
#include "WidgetTestWindow.h"
#include "resources/ResourceIds.h"

#include <functional>

using namespace tests;

namespace {

const std::wstring kSite = L"http://www.tonalix.com";

class MainDrivenTest : public MainWindowTest {
protected:
    StoredConfig Stored() const override {
        StoredConfig config;
        config.loginName = "ann@example.com";
        config.loginPassword = "secret";
        return config;
    }

    void SetUp() override {
        MainWindowTest::SetUp();
        form->PageOpener = [this](const std::wstring& address) { opened.push_back(address); };
    }

    // A press and a release at the middle of a windowless control, as the mouse delivers them.
    static void ClickOn(ui::Container& panel, const ui::GraphicControl& control) {
        const RECT b = control.Bounds();
        const LPARAM at = MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2);
        SendMessageW(panel.Handle(), WM_MOUSEMOVE, 0, at);
        SendMessageW(panel.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(panel.Handle(), WM_LBUTTONUP, 0, at);
    }

    // The command of the item at `position` of a menu, sent as choosing it sends it.
    void ChooseMenuItem(HMENU menu, int position) const {
        const UINT id = GetMenuItemID(menu, position);
        ASSERT_NE(id, static_cast<UINT>(-1));
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }

    HMENU FileMenu() const { return GetSubMenu(GetMenu(form->Handle()), 0); }
    HMENU HelpMenu() const { return GetSubMenu(GetMenu(form->Handle()), 1); }

    // Opens the notification-area menu as a right click on the icon does; `inMenu` runs once the
    // menu's own loop is running (it may choose an item with keys or close the menu).
    void OpenTrayMenu(std::function<void()> inMenu) {
        inMenu_ = std::move(inMenu);
        current_ = this;
        const UINT_PTR timer = SetTimer(nullptr, 0, 150, &MainDrivenTest::InMenu);
        SendMessageW(TCoolTrayIcon::CallbackWindow(), TrayCallbackMessage, form->TrayIcon->Id(), WM_RBUTTONDOWN);
        KillTimer(nullptr, timer);
        current_ = nullptr;
    }

    std::vector<std::wstring> opened;

private:
    static void CALLBACK InMenu(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (!current_ || !current_->inMenu_) return;
        std::function<void()> action = std::move(current_->inMenu_);
        current_->inMenu_ = nullptr;
        action();
    }

    std::function<void()> inMenu_;
    static MainDrivenTest* current_;
};

MainDrivenTest* MainDrivenTest::current_ = nullptr;

// The menu loop reads the keyboard from the thread's queue.
void PostKeys(std::initializer_list<WPARAM> keys) {
    for (WPARAM key : keys) PostMessageW(TCoolTrayIcon::CallbackWindow(), WM_KEYDOWN, key, 0);
}

}  // namespace

TEST_F(MainDrivenTest, EveryLinkAndMenuItemOpensItsPage) {
    struct Case {
        const char* name;
        std::function<void()> act;
        std::wstring address;
    };
    const Case cases[] = {
        {"sign-up link", [&] { ClickOn(form->LoginPanel, form->NewuserLabel); }, kSite + L"/newuser"},
        {"password link", [&] { ClickOn(form->LoginPanel, form->LostPassLabel); }, kSite + L"/passwordreminder"},
        {"Help > Tonalix Online Help", [&] { ChooseMenuItem(HelpMenu(), 0); }, kSite + L"/support"},
        {"tray > Tonalix Web Site",
         [&] { OpenTrayMenu([] { PostKeys({VK_DOWN, VK_DOWN, VK_RETURN}); }); },
         kSite},
    };
    form->Show(SW_SHOWNORMAL);
    Pump();
    for (const Case& c : cases) {
        opened.clear();
        c.act();
        Pump(50);
        EXPECT_EQ(opened, std::vector<std::wstring>{c.address}) << c.name;
    }
}

TEST_F(MainDrivenTest, TrayQuitAndFileCloseAreTheirMenuCommands) {
    form->Show(SW_SHOWNORMAL);
    Pump();
    {
        // "Quit" is the last item: Up from no selection reaches it.
        BoxWatcher watcher(IDNO);
        OpenTrayMenu([] { PostKeys({VK_UP, VK_RETURN}); });
        Pump(100);
        const std::vector<SeenBox> seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"Exit Tonalix?");
        EXPECT_EQ(seen[0].text, L"Would you like to quit Tonalix?");
    }
    EXPECT_FALSE(form->EnableClose);
    EXPECT_TRUE(form->Visible());

    // File > Close only hides the window.
    ChooseMenuItem(FileMenu(), 1);
    Pump();
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->EnableClose);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainDrivenTest, TheTrayMenuLeavesTheMainWindowAndTheAboutWindowWhereTheyAre) {
    struct AboutInPlace {
        AboutInPlace() : savedVersion(std::move(ProgramVersion)) { ProgramVersion = std::make_unique<TVersionInfo>(); }
        ~AboutInPlace() {
            AboutForm.reset();
            ProgramVersion = std::move(savedVersion);
        }
        std::unique_ptr<TVersionInfo> savedVersion;
    } about;
    AboutForm = std::make_unique<TAboutForm>();
    AboutForm->SoundPlayer = [](const wchar_t*, HMODULE, DWORD) {};
    ASSERT_EQ(AboutForm->Create(form->Handle()), TAboutCreateResult::Created);
    form->Show(SW_SHOWNORMAL);
    Pump();
    AboutForm->ShowAbout();
    Pump();
    ASSERT_TRUE(AboutForm->Visible());

    HWND foregroundInMenu = nullptr;
    OpenTrayMenu([&] {
        foregroundInMenu = GetForegroundWindow();
        EndMenu();
    });
    Pump(50);
    EXPECT_EQ(foregroundInMenu, TCoolTrayIcon::CallbackWindow()) << "the icon's own window owns the menu";
    EXPECT_NE(GetForegroundWindow(), form->Handle()) << "the main window is not pulled forward";
    EXPECT_TRUE(AboutForm->Visible()) << "nor is the About window hidden by its activation";
}

TEST_F(MainDrivenTest, TheAddressBoxHasTheFocusWheneverTheLoginPanelShowsWithTheWindow) {
    form->ShowMainWindow();
    Pump();
    EXPECT_EQ(GetFocus(), form->UsernameEdit.Handle()) << "on show";

    // Typed on the keyboard, through the program's message loop.
    form->UsernameEdit.SetText(L"");
    for (const wchar_t c : std::wstring(L"bo@x")) {
        INPUT input[2] = {};
        for (INPUT& i : input) {
            i.type = INPUT_KEYBOARD;
            i.ki.wScan = c;
            i.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
    const DWORD start = GetTickCount();
    while (form->UsernameEdit.Text() != L"bo@x" && GetTickCount() - start < 3000) {
        Application().PumpPending();
        Sleep(5);
    }
    EXPECT_EQ(form->UsernameEdit.Text(), L"bo@x");

    // After a log-out, where the focus was on the status panel's button.
    form->UsernameEdit.SetText(L"ann@example.com");
    form->LoginButton.Click();
    form->LogoutButton.Focus();
    form->LogoutButton.Click();
    Pump();
    EXPECT_EQ(GetFocus(), form->UsernameEdit.Handle()) << "after a log-out";

    // Back from another window, the focus returns to the box that had it.
    form->PasswordEdit.Focus();
    widget_test::MenuOwnerWindow other;
    ASSERT_TRUE(other.Create());
    other.Show(SW_SHOW);
    SetForegroundWindow(other.Handle());
    Pump();
    ASSERT_NE(GetActiveWindow(), form->Handle());
    form->ShowMainWindow();
    Pump();
    EXPECT_EQ(GetFocus(), form->PasswordEdit.Handle()) << "reactivated";
}

TEST_F(MainDrivenTest, AHiddenStartGivesTheAddressBoxTheFocusWhenTheWindowFirstShows) {
    ASSERT_FALSE(form->Visible());
    PostMessageW(form->Handle(), WM_USER + 98, 0, 0);  // a second start's show request
    Pump();
    EXPECT_EQ(GetFocus(), form->UsernameEdit.Handle());
}

TEST_F(MainDrivenTest, EditBoxesTurnLightYellowWhenTheyGetTheFocus) {
    form->ShowMainWindow();
    Pump();
    const auto background = [&](ui::Edit& edit) {
        const HDC dc = GetDC(edit.Handle());
        SetBkColor(dc, RGB(1, 2, 3));
        SendMessageW(form->LoginPanel.Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(edit.Handle()));
        const COLORREF color = GetBkColor(dc);
        ReleaseDC(edit.Handle(), dc);
        return color;
    };
    const COLORREF yellow = RGB(255, 255, 224);
    ASSERT_EQ(GetFocus(), form->UsernameEdit.Handle());
    EXPECT_EQ(background(form->UsernameEdit), yellow);
    EXPECT_NE(background(form->PasswordEdit), yellow);

    // Tab through the program's message loop moves the focus, and the colour with it.
    PostMessageW(form->UsernameEdit.Handle(), WM_KEYDOWN, VK_TAB, 0);
    Application().PumpPending();
    ASSERT_EQ(GetFocus(), form->PasswordEdit.Handle());
    EXPECT_EQ(background(form->PasswordEdit), yellow);
    EXPECT_NE(background(form->UsernameEdit), yellow);
}

TEST_F(MainDrivenTest, LinksUnderlineWhileThePointerIsOverThem) {
    form->ShowMainWindow();
    Pump();
    const auto underlined = [](const ui::Label& label) {
        LOGFONTW font{};
        GetObjectW(label.FontHandle(), sizeof font, &font);
        return font.lfUnderline != 0;
    };
    const HWND panel = form->LoginPanel.Handle();
    const RECT link = form->NewuserLabel.Bounds();
    SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(link.left + 2, link.top + 2));
    EXPECT_TRUE(underlined(form->NewuserLabel));
    EXPECT_FALSE(underlined(form->LostPassLabel));

    const RECT other = form->LostPassLabel.Bounds();
    SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(other.left + 2, other.top + 2));
    EXPECT_FALSE(underlined(form->NewuserLabel));
    EXPECT_TRUE(underlined(form->LostPassLabel));

    SendMessageW(panel, WM_MOUSELEAVE, 0, 0);  // the pointer left the panel
    EXPECT_FALSE(underlined(form->LostPassLabel));
    EXPECT_EQ(form->NewuserLabel.Cursor(), IDC_HAND);
    EXPECT_EQ(form->LostPassLabel.Cursor(), IDC_HAND);
}
