// The end of the Windows session reaches the main window while it is busy: a call to the shell,
// made while engine events are being presented, lets the session's end messages in. The program
// must not free what the busy handler still uses; it leaves through its message loop instead.
#include "GUI/EngineBridge.h"
#include "MainWindowFixture.h"

#include <gtest/gtest.h>

using namespace tests;

namespace {

class FaultEndSessionTest : public MainWindowTest {
protected:
    // The notification-area icon with a shell that, once armed, ends the session from inside the
    // next call, as the real shell's window can while the program waits for its answer.
    void SetUp() override {
        MainWindowTest::SetUp();
        form->TrayIcon = std::make_unique<TCoolTrayIcon>(form->Handle(), [this](DWORD, TNotifyIconDataEx*) {
            if (armed_) {
                armed_ = false;
                SendMessageW(form->Handle(), WM_QUERYENDSESSION, 0, 0);
                SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, 0);
            }
            return TRUE;
        });
        form->TrayIcon->SetIconVisible(true);
    }

    // Delivers an engine event and handles what follows, as the message loop would; true when the
    // loop was told to end.
    static bool EventEndsTheLoop(int32_t code) {
        EngineCallback(code, 0, 0, 0, nullptr);
        bool quit = false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) quit = true;
            else DispatchMessageW(&msg);
        }
        return quit;
    }

    bool armed_ = false;
};

}  // namespace

TEST_F(FaultEndSessionTest, TheEndArrivingInsideAStatusRefreshLeavesThroughTheMessageLoop) {
    armed_ = true;
    // Logging in: the status refresh calls the shell.
    EXPECT_TRUE(EventEndsTheLoop(5)) << "the message loop ends";
    EXPECT_FALSE(armed_) << "the session ended inside the refresh";
    EXPECT_TRUE(form->EnableClose);
    EXPECT_TRUE(IsWindow(form->Handle())) << "not destroyed under the busy handler";
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(form->TrayIcon) << "the icon the refresh was using is still there";

    // Events that still arrive are not applied once the message loop has been told to end.
    Event(7);
    EXPECT_NE(form->pelkoState.connectionState, core::TPelkoConnectionState::LoggedIn);
}

TEST_F(FaultEndSessionTest, ACancelledSessionEndLeavesTheProgramAsItWas) {
    const HWND window = form->Handle();
    form->Show(SW_SHOWNA);
    SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
    EXPECT_TRUE(form->EnableClose);
    Event(7);  // the engine goes on while the end is being decided
    EXPECT_EQ(form->pelkoState.connectionState, core::TPelkoConnectionState::LoggedIn);

    SendMessageW(window, WM_ENDSESSION, FALSE, 0);  // another program said no
    EXPECT_FALSE(form->EnableClose);
    EXPECT_TRUE(IsWindow(window));

    // Events are applied and their message objects reused: the status follows, the pool stays put.
    Event(15, 1, 5);
    EXPECT_EQ(form->StatusDescriptionLabel.Caption(), L"Your music is now available online (5 tracks)");
    const size_t pool = form->engineMessageQueue->FreeCount();
    for (int32_t i = 0; i < 200; ++i) Event(15, 1, i);
    EXPECT_EQ(form->engineMessageQueue->WaitingCount(), 0u);
    EXPECT_EQ(form->engineMessageQueue->FreeCount(), pool);
    EXPECT_EQ(form->pelkoState.totalTracksOnline, 199);

    // The close box hides the window again instead of ending the program.
    form->Close();
    Pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(form->Visible());
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop goes on";
}

TEST_F(FaultEndSessionTest, ACancelAfterAnExitWasChosenKeepsTheExit) {
    const HWND window = form->Handle();
    SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
    PostMessageW(window, WM_USER + 99, 0, 0);  // a close request while the end is being decided
    Pump();
    SendMessageW(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(form->EnableClose);
}

TEST_F(FaultEndSessionTest, TheEndArrivingWhileIdleShutsDownAtOnce) {
    const HWND window = form->Handle();
    SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
    SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsWindow(window)) << "the windows go before the session does";
    const std::vector<std::string> calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "shutdownPelko");
}
