// Logging in and out from the login panel, and the exit confirmation.
#include "BoxWatcher.h"
#include "GUI/PelkoConfig.h"
#include "MainWindowFixture.h"

using namespace tests;

namespace {

class LoginTest : public MainWindowTest {
protected:
    StoredConfig Stored() const override {
        StoredConfig config;
        config.loginName = "ann@example.com";
        config.loginPassword = "secret";
        config.maxUpload = 64;
        return config;
    }
    void Type(ui::Edit& edit, const wchar_t* text) {
        edit.SetText(text);
        Pump();
    }
    void PressEnter(ui::Edit& edit) {
        SendMessageW(edit.Handle(), WM_KEYDOWN, VK_RETURN, 0);
        Pump();
    }
};

}  // namespace

TEST_F(LoginTest, StoredCredentialsFillTheBoxes) {
    EXPECT_EQ(form->UsernameEdit.Text(), L"ann@example.com");
    EXPECT_EQ(form->PasswordEdit.Text(), L"secret");
    EXPECT_TRUE(form->LoginButton.Enabled());
    EXPECT_EQ(SendMessageW(form->UsernameEdit.Handle(), EM_GETLIMITTEXT, 0, 0), 200);
    EXPECT_EQ(SendMessageW(form->PasswordEdit.Handle(), EM_GETLIMITTEXT, 0, 0), 40);
    EXPECT_EQ(form->Text(), L"Tonalix");
}

TEST_F(LoginTest, ButtonNeedsBothBoxesAndABlankCounts) {
    struct Case {
        const wchar_t *name, *password;
        bool enabled;
    } cases[] = {{L"", L"x", false}, {L"x", L"", false}, {L" ", L" ", true}, {L"a", L"b", true}};
    for (const Case& c : cases) {
        Type(form->UsernameEdit, c.name);
        Type(form->PasswordEdit, c.password);
        EXPECT_EQ(form->LoginButton.Enabled(), c.enabled);
    }
    Type(form->PasswordEdit, L"");
    ClearCalls();
    PressEnter(form->UsernameEdit);
    EXPECT_TRUE(Calls().empty()) << "Enter does nothing while the button is disabled";
}

TEST_F(LoginTest, SameCredentialsOnlyLogIn) {
    ClearCalls();
    PressEnter(form->PasswordEdit);
    EXPECT_EQ(Calls(), std::vector<std::string>{"loginPelko"});
    EXPECT_TRUE(IsShown(form->StatusPanel.Handle()));
    EXPECT_EQ(form->Text(), L"Tonalix - ann@example.com");
}

TEST_F(LoginTest, ChangedPasswordIsStoredOnceBeforeLoggingIn) {
    Type(form->PasswordEdit, L"better");
    ClearCalls();
    form->LoginButton.Click();
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0], "setUserpass\tname=ann@example.com\tpassword=secret");
    EXPECT_EQ(calls[1], "setUserpass\tname=ann@example.com\tpassword=better");
    EXPECT_EQ(calls[2].substr(0, 10), "setConfig\t");
    EXPECT_EQ(calls[3], "setMaxUpload\tlimit=64");
    EXPECT_EQ(calls[4], "configSave");
    EXPECT_EQ(calls[5], "loginPelko");
}

TEST_F(LoginTest, CaptionNamesTheAddressJustEntered) {
    Type(form->UsernameEdit, L"bob@example.com");
    form->LoginButton.Click();
    EXPECT_EQ(form->Text(), L"Tonalix - bob@example.com");
    EXPECT_EQ(Config->GetUsername(), "bob@example.com");
}

TEST_F(LoginTest, RequiredUpdateBlocksLogin) {
    form->SoftwareUpdateRequired = true;
    ClearCalls();
    {
        BoxWatcher watcher(IDNO);
        form->LoginButton.Click();
        PressEnter(form->UsernameEdit);
        const std::vector<SeenBox> seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].caption, L"Information");
        EXPECT_EQ(seen[0].text,
                  L"You must update your Tonalix software in order to login. Would you like to download an update "
                  L"now?");
    }
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(IsShown(form->LoginPanel.Handle()));
}

TEST_F(LoginTest, LogoutAsksTheEngineAndShowsTheLoginPanel) {
    form->LoginButton.Click();
    Event(7);  // the engine reports the log-in
    ASSERT_EQ(form->pelkoState.connectionState, core::TPelkoConnectionState::LoggedIn);
    ClearCalls();
    form->LogoutButton.Click();
    EXPECT_EQ(Calls(), std::vector<std::string>{"logoutPelko"});
    EXPECT_TRUE(IsShown(form->LoginPanel.Handle()));
    EXPECT_EQ(form->Text(), L"Tonalix");
    // The state is reset only when the engine reports the log-out.
    EXPECT_EQ(form->pelkoState.connectionState, core::TPelkoConnectionState::LoggedIn);
    Event(8);
    EXPECT_EQ(form->pelkoState.connectionState, core::TPelkoConnectionState::LoggedOut);
}

TEST_F(LoginTest, ClosingOnlyHides) {
    form->Show();
    form->Close();
    Pump();
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_FALSE(IsShown(form->Handle()));
    EXPECT_FALSE(form->EnableClose);
}

namespace {

class ExitTest : public MainWindowTest {
protected:
    StoredConfig Stored() const override {
        StoredConfig config;
        config.roots = {L"C:\\Music"};
        return config;
    }
    SeenBox Confirm(int answer) {
        BoxWatcher watcher(answer);
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(202, 0), 0);  // File > Exit Tonalix
        const std::vector<SeenBox> seen = watcher.Seen();
        return seen.empty() ? SeenBox{L"<none>", L"<none>"} : seen[0];
    }
};

const wchar_t kPlain[] = L"Would you like to quit Tonalix?";
const wchar_t kFolders[] =
    L"Tonalix is monitoring your music folders.\r\nNew music won't be added to your Tonalix account until you "
    L"restart the program.\r\nAre you sure you want to exit the program?";

}  // namespace

TEST_F(ExitTest, TheQuestionDependsOnUploadsAndWatchedFolders) {
    struct Case {
        const char* name;
        std::vector<int32_t> events;  // code, p1, p2 triples
        bool removeFolders;
        std::wstring text;
    } cases[] = {
        {"logged out, folders", {}, false, kPlain},
        {"logged in, folders, no count", {7, 0, 0}, false, kFolders},
        {"logging in, folders, nothing left", {5, 0, 0, 15, 0, 3}, false, kFolders},
        {"logged in, one file left", {7, 0, 0, 15, 1, 3}, false,
         L"There are 1 files left to be uploaded.\r\nIf you exit now you won't be able to listen to them from "
         L"Tonalix.\r\nAre you sure you want to exit the program?"},
        {"logged out yet files left", {15, 5, 3}, false,
         L"There are 5 files left to be uploaded.\r\nIf you exit now you won't be able to listen to them from "
         L"Tonalix.\r\nAre you sure you want to exit the program?"},
        {"logged in, no folders", {7, 0, 0}, true, kPlain},
    };
    for (const Case& c : cases) {
        Event(8);
        for (size_t i = 0; i + 2 < c.events.size(); i += 3)
            Event(c.events[i], c.events[i + 1], c.events[i + 2]);
        if (c.removeFolders) {
            while (Config->GetDirCount() > 0) Config->DelDir(0);
        }
        const SeenBox box = Confirm(IDNO);
        EXPECT_EQ(box.caption, L"Exit Tonalix?") << c.name;
        EXPECT_EQ(box.text, c.text) << c.name;
        EXPECT_FALSE(form->EnableClose) << c.name;
    }
}

TEST_F(ExitTest, YesExitsEvenWhileHidden) {
    form->Hide();
    const SeenBox box = Confirm(IDYES);
    EXPECT_EQ(box.text, kPlain);
    EXPECT_TRUE(form->EnableClose);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop is told to end";
}

namespace {

std::vector<std::wstring> MenuTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STRING;
        wchar_t text[128] = {};
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        texts.push_back((info.fType & MFT_SEPARATOR) ? L"-" : text);
    }
    return texts;
}

}  // namespace

TEST_F(LoginTest, WindowAndMenusAreLaidOutAsDesigned) {
    RECT client{};
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 208);
    EXPECT_EQ(client.bottom, 184);
    const LONG style = GetWindowLongW(form->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    wchar_t className[64] = {};
    GetClassNameW(form->Handle(), className, 64);
    EXPECT_STREQ(className, L"TPelkoMainForm");

    const HMENU bar = GetMenu(form->Handle());
    EXPECT_EQ(MenuTexts(bar), (std::vector<std::wstring>{L"File", L"Help"}));
    EXPECT_EQ(MenuTexts(GetSubMenu(bar, 0)),
              (std::vector<std::wstring>{L"Options...", L"Close", L"-", L"Exit Tonalix"}));
    EXPECT_EQ(MenuTexts(GetSubMenu(bar, 1)), (std::vector<std::wstring>{L"Tonalix Online Help", L"About Tonalix"}));
    EXPECT_EQ(MenuTexts(form->TrayIcon->PopupMenu()),
              (std::vector<std::wstring>{L"Open Tonalix", L"Tonalix Web Site", L"-", L"Quit"}));
    EXPECT_TRUE(form->TrayIcon->LeftPopup());
    EXPECT_EQ(form->TrayIcon->CycleInterval(), 300u);
}

TEST_F(LoginTest, UpdateFlagTravelsToThePanelOnShow) {
    EXPECT_EQ(form->SWUpdateImage.Parent(), &form->LoginPanel);
    EXPECT_EQ(form->LoginPanel.Controls().back(), &form->SWUpdateImage);
    form->ShowStatusPanel();
    EXPECT_EQ(form->SWUpdateImage.Parent(), &form->StatusPanel);
    EXPECT_EQ(form->StatusPanel.Controls().back(), &form->SWUpdateImage);
    EXPECT_FALSE(form->SWUpdateImage.Visible());
    EXPECT_EQ(form->SWUpdateImage.Bounds().left, 181);
    EXPECT_EQ(form->SWUpdateImage.Width(), 27);
}

TEST_F(LoginTest, ShowMainWindowRestoresAndShows) {
    ShowWindow(form->Handle(), SW_MINIMIZE);
    Pump();
    form->ShowMainWindow();
    Pump();
    EXPECT_FALSE(IsIconic(form->Handle()));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    form->Hide();
    PostMessageW(form->Handle(), WM_USER + 98, 0, 0);  // a second start's show request
    Pump();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}
