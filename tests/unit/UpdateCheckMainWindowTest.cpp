// The update check in the main window: its timers against a local server, the balloon, the flag,
// and a mandatory upgrade that logs out and blocks logging in.
#include "BoxWatcher.h"
#include "GUI/UpdateCheck.h"
#include "GUI/VersionDocument.h"
#include "GUI/VersionInfo.h"
#include "LocalHttpServer.h"
#include "MainWindowFixture.h"
#include "WidgetShellRecorder.h"

#include <algorithm>

using namespace tests;

namespace {

std::string Offer(const std::string& version, const std::string& rootExtra = "") {
    return "<?xml version=\"1.0\"?><Command Status=\"succeed\" " + rootExtra + "><SoftwareVersion Version=\"" +
           version + "\"/></Command>";
}

bool SamePicture(const ui::PngImage& a, const ui::PngImage& b) {
    return !a.Empty() && a.Width() == b.Width() && a.Height() == b.Height() && a.Pixels().rgba == b.Pixels().rgba;
}

class UpdateCheckMainWindowTest : public MainWindowTest {
protected:
    UpdateCheckMainWindowTest() : savedVersion_(std::move(ProgramVersion)) {
        ProgramVersion = std::make_unique<TVersionInfo>();
    }
    ~UpdateCheckMainWindowTest() override { ProgramVersion = std::move(savedVersion_); }

    StoredConfig Stored() const override {
        StoredConfig config;
        config.serverAddress = "127.0.0.1";
        config.serverPort = server.Port();
        config.loginName = "ann@example.com";
        config.loginPassword = "secret";
        return config;
    }

    void SetUp() override {
        ASSERT_NE(server.Port(), 0);
        MainWindowTest::SetUp();
        // The same icon, with the shell replaced by a recorder so the balloon can be read.
        form->TrayIcon = std::make_unique<TCoolTrayIcon>(form->Handle(), shell.Function());
        form->TrayIcon->SetIconVisible(true);
    }

    // Runs the window's own timers until a check has been answered and evaluated.
    bool PumpUntilChecked(size_t requests = 1) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 15000) {
            Pump(20);
            if (server.Requests().size() >= requests && !form->VersionXML) return true;
        }
        return false;
    }

    std::vector<widget_test::ShellCall> Balloons() const {
        std::vector<widget_test::ShellCall> balloons;
        for (const widget_test::ShellCall& call : shell.calls) {
            // An empty text is the request that takes a previous balloon away.
            if (call.message == NIM_MODIFY && (call.data.uFlags & NIF_INFO) && !call.Info().empty())
                balloons.push_back(call);
        }
        return balloons;
    }

    bool Called(const std::string& call) const {
        const std::vector<std::string> calls = Calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    void PressEnter(ui::Edit& edit) {
        SendMessageW(edit.Handle(), WM_KEYDOWN, VK_RETURN, 0);
        Pump();
    }

    LocalHttpServer server;
    widget_test::ShellRecorder shell;

private:
    std::unique_ptr<TVersionInfo> savedVersion_;
};

}  // namespace

TEST_F(UpdateCheckMainWindowTest, FirstCheckAsksTheConfiguredServerOneSecondAfterStartUp) {
    server.Respond(200, Offer("1.0.5233"));
    EXPECT_TRUE(form->VersionCheckTimer.Enabled());
    EXPECT_EQ(form->VersionCheckTimer.Interval(), kFirstVersionCheckDelayMs);
    ASSERT_TRUE(PumpUntilChecked());
    const std::string head = server.Requests()[0];
    EXPECT_EQ(head.substr(0, head.find("\r\n")),
              "GET /TovelinkSoftwareVersion?softwarename=tovelink&currentversion=1.0.5233 HTTP/1.1");
    EXPECT_EQ(form->VersionCheckTimer.Interval(), kVersionCheckIntervalMs);
    EXPECT_TRUE(form->VersionCheckTimer.Enabled());
    EXPECT_TRUE(Balloons().empty());
    EXPECT_FALSE(form->SWUpdateImage.Visible());
}

TEST_F(UpdateCheckMainWindowTest, AnOptionalUpdateShowsTheBalloonAndWavesTheFlag) {
    server.Respond(200, Offer("1.0.5234"));
    form->LoginButton.Click();
    ASSERT_TRUE(PumpUntilChecked());

    const std::vector<widget_test::ShellCall> balloons = Balloons();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].InfoTitle(), L"Tonalix software update");
    EXPECT_EQ(balloons[0].Info(), L"A new version of Tonalix is available. Click here to download it.");
    EXPECT_EQ(balloons[0].data.dwInfoFlags & 0x3u, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(balloons[0].data.TimeoutOrVersion, 30000u);
    EXPECT_TRUE(form->TrayIcon->OnBalloonHintClick) << "a click on the balloon opens the download page";
    EXPECT_TRUE(form->SoftwareUpdateAvailable);
    EXPECT_FALSE(form->SoftwareUpdateRequired);

    // The flag waves in the corner of the panel on show, one frame per tick of 200 ms.
    EXPECT_TRUE(form->SWUpdateImage.Visible());
    EXPECT_EQ(form->SWUpdateImage.Parent(), &form->StatusPanel);
    EXPECT_EQ(form->AnimateTimer.Interval(), 200u);
    const int32_t ticks = form->currentAnimationFrame;
    Pump(900);
    EXPECT_GE(form->currentAnimationFrame - ticks, 2);
    const int32_t shown = form->currentAnimationFrame - 1;
    EXPECT_TRUE(SamePicture(form->SWUpdateImage.Picture(), form->notificationImages[shown % 4]));
    EXPECT_FALSE(SamePicture(form->notificationImages[0], form->notificationImages[1])) << "the frames differ";

    // Logging in still works.
    form->LogoutButton.Click();
    ClearCalls();
    form->LoginButton.Click();
    EXPECT_TRUE(Called("loginPelko"));
}

TEST_F(UpdateCheckMainWindowTest, AMandatoryUpgradeLogsOutStopsCheckingAndBlocksLogin) {
    server.Respond(200, Offer("1.0.5234", "ForceUpgrade=\"true\""));
    form->LoginButton.Click();
    ClearCalls();
    ASSERT_TRUE(PumpUntilChecked());

    const std::vector<widget_test::ShellCall> balloons = Balloons();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].InfoTitle(), L"Tonalix software needs update");
    EXPECT_EQ(balloons[0].Info(),
              L"You must update your Tonalix software to continue using Tonalix. Click here to download an update.");
    EXPECT_EQ(balloons[0].data.dwInfoFlags & 0x3u, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_TRUE(form->TrayIcon->OnBalloonHintClick);
    EXPECT_TRUE(form->SoftwareUpdateRequired);
    EXPECT_TRUE(Called("logoutPelko"));
    EXPECT_TRUE(IsShown(form->LoginPanel.Handle()));
    EXPECT_FALSE(form->VersionCheckTimer.Enabled());

    ClearCalls();
    {
        BoxWatcher watcher(IDNO);
        form->LoginButton.Click();
        PressEnter(form->PasswordEdit);
        const std::vector<SeenBox> seen = watcher.Seen();
        ASSERT_EQ(seen.size(), 2u);
        for (const SeenBox& box : seen) {
            EXPECT_EQ(box.text, L"You must update your Tonalix software in order to login. Would you like to "
                                L"download an update now?");
        }
    }
    EXPECT_FALSE(Called("loginPelko")) << "the engine is never asked to log in";

    // No further check runs; the flag keeps waving.
    const int32_t ticks = form->currentAnimationFrame;
    Pump(1200);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_FALSE(form->VersionXML);
    EXPECT_TRUE(form->SWUpdateImage.Visible());
    EXPECT_GE(form->currentAnimationFrame - ticks, 3);
}

TEST_F(UpdateCheckMainWindowTest, AnUnreachableServerShowsNothing) {
    HttpAnswer closed;
    closed.kind = HttpAnswer::Kind::CloseSilently;
    server.SetAnswer(closed);
    ASSERT_TRUE(PumpUntilChecked());
    EXPECT_TRUE(Balloons().empty());
    EXPECT_FALSE(form->SWUpdateImage.Visible());
    EXPECT_FALSE(form->AnimateTimer.Enabled());
    EXPECT_EQ(form->VersionCheckTimer.Interval(), kVersionCheckIntervalMs);
}

TEST_F(UpdateCheckMainWindowTest, TheBalloonTheFlagAndYesOpenTheDownloadPage) {
    std::vector<std::wstring> opened;
    form->PageOpener = [&](const std::wstring& address) { opened.push_back(address); };
    server.Respond(200, Offer("1.0.5234"));
    form->LoginButton.Click();
    ASSERT_TRUE(PumpUntilChecked());
    ASSERT_TRUE(form->SWUpdateImage.Visible());
    const std::wstring download = L"http://www.tonalix.com/download";

    // A click on the balloon, as the shell reports it.
    SendMessageW(TCoolTrayIcon::CallbackWindow(), TrayCallbackMessage, form->TrayIcon->Id(), NIN_BALLOONUSERCLICK);
    EXPECT_EQ(opened, std::vector<std::wstring>{download});

    // A click on the flag: a press and a release over it on the panel.
    const RECT flag = form->SWUpdateImage.Bounds();
    const LPARAM at = MAKELPARAM((flag.left + flag.right) / 2, (flag.top + flag.bottom) / 2);
    const HWND panel = form->StatusPanel.Handle();
    SendMessageW(panel, WM_MOUSEMOVE, 0, at);
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(panel, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(opened, (std::vector<std::wstring>{download, download}));
}

TEST_F(UpdateCheckMainWindowTest, YesToTheRequiredUpdateQuestionOpensTheDownloadPageNoOpensNothing) {
    std::vector<std::wstring> opened;
    form->PageOpener = [&](const std::wstring& address) { opened.push_back(address); };
    form->SoftwareUpdateRequired = true;
    for (const int answer : {IDNO, IDYES}) {
        BoxWatcher watcher(answer);
        form->LoginButton.Click();
        ASSERT_EQ(watcher.Seen().size(), 1u);
    }
    EXPECT_EQ(opened, std::vector<std::wstring>{L"http://www.tonalix.com/download"});
    EXPECT_FALSE(Called("loginPelko"));
}
