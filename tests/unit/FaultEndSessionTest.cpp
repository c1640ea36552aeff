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

    // Events that still arrive are not applied once the program is leaving.
    Event(7);
    EXPECT_NE(form->pelkoState.connectionState, core::TPelkoConnectionState::LoggedIn);
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
