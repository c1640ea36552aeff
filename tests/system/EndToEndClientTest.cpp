// The real Tonalix.exe with the stand-in engine in its working mode, against the local demo
// service: what a user sees from log-in to exit.
#include "DemoMusic.h"
#include "DemoScreen.h"
#include "DemoService.h"
#include "ProgramRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace tests;

namespace {

constexpr UINT kExitCommand = 202;  // File > Exit Tonalix
constexpr UINT kCloseRequest = WM_USER + 99;

// The main window's layout, in client coordinates.
const RECT kGauge = {8, 116, 200, 140};
const RECT kFlag = {181, 0, 208, 21};
constexpr uint32_t kGaugeBar = 0x9EFEB7;  // RGB 158, 254, 183

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class ClientEndToEnd : public ::testing::Test {
protected:
    // Starts the program over a music folder of `tracks` files of `bytes` each, logged in
    // automatically unless `autoLogin` is false (then the password is left out).
    HWND Start(const char* kind, int tracks, uint32_t bytes, int32_t limitKiB, bool autoLogin = true,
               const std::wstring& arguments = L"") {
        auto found = DemoService::Find(kind);
        if (!found) return nullptr;
        service = *found;
        email = UniqueEmail("client");
        EXPECT_TRUE(service->Register(email, password));
        for (int i = 0; i < tracks; ++i)
            WriteWav(music.Path(L"Track " + std::to_wstring(i + 1) + L".wav"), bytes, static_cast<uint32_t>(i + 100));
        StoredConfig config;
        config.roots = {music.Path()};
        config.serverAddress = "127.0.0.1";
        config.serverPort = service->Port();
        config.loginName = email;
        config.loginPassword = autoLogin ? password : "";
        config.maxUpload = limitKiB;
        config.loginOnRun = autoLogin ? 1 : 0;
        WriteStoredConfig(run->ConfigPath(), config);
        SetEnvironmentVariableW(L"TOVELINK_MODE", L"working");
        SetEnvironmentVariableW(L"TOVELINK_EVENTLOG", eventLog.c_str());
        EXPECT_TRUE(run->Start(arguments));
        SetEnvironmentVariableW(L"TOVELINK_MODE", nullptr);
        SetEnvironmentVariableW(L"TOVELINK_EVENTLOG", nullptr);
        window = run->WaitForMainWindow();
        EXPECT_NE(window, nullptr);
        return window;
    }

    template <typename Done>
    std::vector<LoggedEvent> WaitFor(Done done, DWORD timeoutMs = 30000) const {
        return WaitForEvents(eventLog, done, timeoutMs);
    }

    HWND Button(const wchar_t* text) const { return FindControl(window, L"Button", text); }
    bool LoginPanelShown() const { HWND b = Button(L"Log in"); return b && IsShown(GetParent(b)); }
    bool StatusPanelShown() const { HWND b = Button(L"Log out"); return b && IsShown(GetParent(b)); }

    // Asks to exit as File > Exit Tonalix does and returns the question it raised.
    FoundBox AskToExit() const {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(kExitCommand, 0), 0);
        return WaitForMessageBox(run->ProcessId());
    }

    ScratchFolder scratch;
    DemoFolder music;
    std::unique_ptr<ProgramRun> run = std::make_unique<ProgramRun>(scratch, L"e2e");
    std::wstring eventLog = scratch.Path(L"e2e-events.log");
    std::optional<DemoService> service;
    std::string email;
    const std::string password = "open sesame";
    HWND window = nullptr;
};

#define START_OR_SKIP(...)                                       \
    do {                                                         \
        if (!Start(__VA_ARGS__)) {                               \
            if (!service) GTEST_SKIP() << kNoDemoService;        \
            FAIL() << "the program did not start";               \
        }                                                        \
    } while (0)

TEST_F(ClientEndToEnd, LogInStoreTracksWithAMovingGaugeAndGoIdle) {
    START_OR_SKIP("plain", 3, 48 * 1024, 32, /*autoLogin=*/false);
    ASSERT_TRUE(WaitUntil([&] { return LoginPanelShown(); }));
    HWND passwordEdit = FindPasswordEdit(window);
    ASSERT_NE(passwordEdit, nullptr);

    // A wrong password: the engine refuses without a text and the login panel comes back.
    TypeInto(passwordEdit, L"not it");
    Press(Button(L"Log in"));
    auto events = WaitFor([](const auto& e) { return Has(e, 6); });
    ASSERT_EQ(Codes(events), (std::vector<int32_t>{5, 6}));
    EXPECT_FALSE(events[1].hasText);
    ASSERT_TRUE(WaitUntil([&] { return LoginPanelShown(); }));
    EXPECT_EQ(WaitForMessageBox(run->ProcessId(), 300).dialog, nullptr) << "a refusal without text shows no box";

    // The right one: logged in, the status panel, the tracks stored one after another.
    TypeInto(passwordEdit, Wide(password));
    Press(Button(L"Log in"));
    ASSERT_TRUE(WaitUntil([&] { return StatusPanelShown(); }));
    EXPECT_EQ(TextOf(window), L"Tonalix - " + Wide(email));
    ASSERT_TRUE(Has(WaitFor([](const auto& e) { return Has(e, 16); }), 16));

    std::vector<int> fills;
    std::vector<uint64_t> captions;
    WaitUntil([&] {
        ClientPixels shot = CaptureClient(window);
        if (shot.width == 0) return true;
        fills.push_back(shot.Count(kGauge, kGaugeBar));
        captions.push_back(shot.Fingerprint(kGauge));
        return AllStored(ReadEventLog(eventLog), 3);
    }, 30000);
    ASSERT_FALSE(fills.empty()) << "the screen could not be read";
    std::sort(captions.begin(), captions.end());
    const size_t distinct = std::unique(captions.begin(), captions.end()) - captions.begin();
    EXPECT_GE(distinct, 5u) << "the gauge and its caption change while the tracks are stored";
    EXPECT_GT(*std::max_element(fills.begin(), fills.end()), 500) << "the bar filled up";
    EXPECT_GT(std::count_if(fills.begin(), fills.end(), [](int f) { return f > 0; }), 3);

    events = WaitFor([](const auto& e) { return AllStored(e, 3); });
    ASSERT_TRUE(AllStored(events, 3)) << ::testing::PrintToString(Codes(events));
    EXPECT_EQ(service->Tracks(email, password).size(), 3u);
    EXPECT_TRUE(WaitUntil([&] { return CaptureClient(window).Count(kGauge, kGaugeBar) == 0; }, 5000))
        << "the gauge is hidden once idle";

    // The changed password was stored for the next start.
    std::vector<std::string> calls = run->Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "configSave"), calls.end());

    // Nothing left to upload: exiting only mentions the watched folders. No keeps it running.
    FoundBox box = AskToExit();
    ASSERT_NE(box.dialog, nullptr);
    EXPECT_EQ(box.caption, L"Exit Tonalix?");
    EXPECT_EQ(box.text.rfind(L"Tonalix is monitoring your music folders.", 0), 0u) << box.text;
    PressButton(box, IDNO);
    EXPECT_EQ(run->WaitForExit(500), -1);

    // A listener plays a track: the engine streams it from this computer.
    ASSERT_TRUE(service->Play(email, password, "Track 2.wav"));
    events = WaitFor([](const auto& e) { return Has(e, 11); });
    EXPECT_TRUE(Has(events, 10));
    EXPECT_EQ(service->StreamedBytes(email, password), std::vector<uint64_t>{48 * 1024});

    PostMessageW(window, kCloseRequest, 0, 0);
    EXPECT_EQ(run->WaitForExit(), 0);
}

TEST_F(ClientEndToEnd, ExitWhileUploadingWarnsWithTheFilesLeft) {
    START_OR_SKIP("plain", 3, 64 * 1024, 8);
    ASSERT_TRUE(Has(WaitFor([](const auto& e) { return Has(e, 16); }), 16));
    FoundBox box = AskToExit();
    ASSERT_NE(box.dialog, nullptr);
    EXPECT_EQ(box.text,
              L"There are 3 files left to be uploaded.\r\n"
              L"If you exit now you won't be able to listen to them from Tonalix.\r\n"
              L"Are you sure you want to exit the program?");
    PressButton(box, IDYES);
    EXPECT_EQ(run->WaitForExit(), 0);
    EXPECT_EQ(run->Calls().back(), "shutdownPelko");
    auto events = ReadEventLog(eventLog);
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(events.back().shutdown) << "no event after the engine shut down";
    EXPECT_LT(service->Tracks(email, password).size(), 3u);
}

TEST_F(ClientEndToEnd, LogOutReturnsToTheLoginPanel) {
    START_OR_SKIP("plain", 1, 8 * 1024, -1);
    ASSERT_TRUE(AllStored(WaitFor([](const auto& e) { return AllStored(e, 1); }), 1));
    ASSERT_TRUE(StatusPanelShown());
    Press(Button(L"Log out"));
    auto events = WaitFor([](const auto& e) { return Has(e, 8); });
    ASSERT_TRUE(Has(events, 8));
    EXPECT_TRUE(WaitUntil([&] { return LoginPanelShown(); }));
    EXPECT_EQ(TextOf(window), L"Tonalix");

    FoundBox box = AskToExit();
    ASSERT_NE(box.dialog, nullptr);
    EXPECT_EQ(box.text, L"Would you like to quit Tonalix?") << "logged out: the plain question";
    PressButton(box, IDYES);
    EXPECT_EQ(run->WaitForExit(), 0);
}

TEST_F(ClientEndToEnd, NewerReleaseIsAnnouncedWithAWavingFlag) {
    struct Case {
        const char* service;
        bool announced;
    } cases[] = {{"plain", false}, {"newer", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.service);
        run = std::make_unique<ProgramRun>(scratch, Wide(c.service));  // each case a run of its own
        DeleteFileW(eventLog.c_str());
        START_OR_SKIP(c.service, 1, 8 * 1024, -1);
        const ULONGLONG started = GetTickCount64();
        // Out of the way of the notification-area balloon, which may cover the corner.
        SetWindowPos(window, nullptr, 500, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(AllStored(WaitFor([](const auto& e) { return AllStored(e, 1); }), 1));
        std::vector<uint64_t> frames;
        int red = 0;
        WaitUntil([&] {
            ClientPixels shot = CaptureClient(window);
            red = std::max(red, shot.Reddish(kFlag));
            frames.push_back(shot.Fingerprint(kFlag));
            // The first check runs a second after start; the flag waves at five frames a second.
            return frames.size() >= 40 && GetTickCount64() - started >= 4000;
        }, 10000);
        std::sort(frames.begin(), frames.end());
        const size_t distinct = std::unique(frames.begin(), frames.end()) - frames.begin();
        if (c.announced) {
            EXPECT_GT(red, 10) << "the red flag shows";
            EXPECT_GE(distinct, 3u) << "and waves";
        } else {
            EXPECT_EQ(red, 0);
            EXPECT_EQ(distinct, 1u);
        }
        PostMessageW(window, kCloseRequest, 0, 0);
        EXPECT_EQ(run->WaitForExit(), 0);
    }
}

TEST_F(ClientEndToEnd, MandatoryUpgradeLogsOutAndRefusesToLogIn) {
    START_OR_SKIP("forced", 1, 8 * 1024, -1);
    auto events = WaitFor([](const auto& e) { return Has(e, 8); });
    ASSERT_TRUE(Has(events, 7));
    ASSERT_TRUE(Has(events, 8)) << "the client logged out for the upgrade";
    ASSERT_TRUE(WaitUntil([&] { return LoginPanelShown(); }));
    std::vector<std::string> calls = run->Calls();
    const auto loginsBefore = std::count(calls.begin(), calls.end(), "loginPelko");

    Press(Button(L"Log in"));
    FoundBox box = WaitForMessageBox(run->ProcessId());
    ASSERT_NE(box.dialog, nullptr);
    EXPECT_EQ(box.caption, L"Information");
    EXPECT_EQ(box.text,
              L"You must update your Tonalix software in order to login. Would you like to download an update now?");
    PressButton(box, IDNO);
    Sleep(300);
    calls = run->Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "loginPelko"), loginsBefore);
    PostMessageW(window, kCloseRequest, 0, 0);
    EXPECT_EQ(run->WaitForExit(), 0);
}

TEST_F(ClientEndToEnd, MinimizedStartWorksHiddenAndASecondStartShowsIt) {
    START_OR_SKIP("plain", 2, 8 * 1024, -1, true, L"/minimized");
    EXPECT_FALSE(IsShown(window));
    auto events = WaitFor([](const auto& e) { return AllStored(e, 2); });
    EXPECT_TRUE(AllStored(events, 2)) << "the engine works while only the icon shows";
    EXPECT_FALSE(IsShown(window));

    EXPECT_EQ(RunToExit(L""), 0);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(window); }, 5000)) << "the second start woke the first";
    std::vector<std::string> calls = run->Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "initPelko"), 1) << "the second start made no engine call";
    PostMessageW(window, kCloseRequest, 0, 0);
    EXPECT_EQ(run->WaitForExit(), 0);
}

TEST_F(ClientEndToEnd, CloseRequestEndsTheProgramAtOnceEvenMidUpload) {
    START_OR_SKIP("plain", 2, 128 * 1024, 4);
    ASSERT_TRUE(Has(WaitFor([](const auto& e) { return Has(e, 16); }), 16));
    const ULONGLONG before = GetTickCount64();
    PostMessageW(window, kCloseRequest, 0, 0);
    EXPECT_EQ(run->WaitForExit(), 0);
    EXPECT_LT(GetTickCount64() - before, 5000u) << "the upload in progress did not hold the exit up";
    EXPECT_EQ(WaitForMessageBox(run->ProcessId(), 0).dialog, nullptr);
    EXPECT_EQ(run->Calls().back(), "shutdownPelko");
    auto events = ReadEventLog(eventLog);
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(events.back().shutdown);
}

}  // namespace
