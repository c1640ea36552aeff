// The engine calling back while the program shuts down: a burst is still running when the close
// request or the end of the session arrives. The program leaves cleanly, shuts the engine down
// last and never crashes, whatever the moment.
#include "EngineControl.h"
#include "ProgramRunner.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

using namespace tests;

namespace {

constexpr UINT kCloseRequest = WM_USER + 99;

enum class Ending { CloseRequest, EndOfSession };

void End(HWND window, Ending ending) {
    if (ending == Ending::CloseRequest) {
        PostMessageW(window, kCloseRequest, 0, 0);
        return;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &result);
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, &result);
}

}  // namespace

TEST(FaultShutdown, TheEngineCallingBackDuringShutdownEndsCleanly) {
    struct Case {
        const char* name;
        Ending ending;
        DWORD afterMs;  // from the start of the burst
    } cases[] = {
        {"close request at once", Ending::CloseRequest, 0},
        {"close request mid-burst", Ending::CloseRequest, 300},
        {"close request late", Ending::CloseRequest, 1200},
        {"end of session mid-burst", Ending::EndOfSession, 300},
    };
    ScratchFolder scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramRun run(scratch, L"shutdown" + std::to_wstring(&c - cases));
        WriteStoredConfig(run.ConfigPath(), StoredConfig{});
        ASSERT_TRUE(run.Start());
        const HWND window = run.WaitForMainWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(run.WaitForCall("startPelko"));

        // Far more events than arrive before the end: progress reports and status changes.
        std::optional<std::string> answer;
        std::thread engine([&run, &answer] {
            EngineControl control;
            if (control.Open(run.ControlPipe())) answer = control.Send("burst 50000000 4 16 12 16 14 15 18 16 19");
        });
        Sleep(c.afterMs);
        End(window, c.ending);
        EXPECT_EQ(run.WaitForExit(30000), 0) << "a clean exit, no crash";
        engine.join();
        // The burst was cut short by the shut-down: its answer says so, or the pipe went with it.
        EXPECT_NE(answer.value_or(""), "ok\tevents=50000000\tthreads=4");
        const std::vector<std::string> calls = run.Calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), "shutdownPelko") << "the engine is shut down last";
    }
}
