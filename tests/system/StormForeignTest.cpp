// The real program while its engine storms and another process posts engine notices and show
// requests with random parameters: the posts do nothing unsafe and every engine event is applied
// with its own parameters.
#include "EngineControl.h"
#include "ProgramRunner.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>

using namespace tests;

namespace {

constexpr UINT kEngineNotice = WM_USER + 1;
constexpr UINT kShowRequest = WM_USER + 98;
constexpr UINT kCloseRequest = WM_USER + 99;

// The exit confirmation tells how many files are left; answering No keeps the program.
std::wstring ExitQuestion(const ProgramRun& run, HWND window) {
    PostMessageW(window, WM_COMMAND, IDM_EXIT, 0);
    const FoundBox box = WaitForMessageBox(run.ProcessId(), 20000);
    if (!box.dialog) return L"(no box)";
    PressButton(box, IDNO);
    const DWORD start = GetTickCount();
    while (IsWindow(box.dialog) && GetTickCount() - start < 5000) Sleep(10);
    return box.text;
}

std::wstring FilesLeftQuestion(int files) {
    return L"There are " + std::to_wstring(files) +
           L" files left to be uploaded.\r\nIf you exit now you won't be able to listen to them from Tonalix.\r\n"
           L"Are you sure you want to exit the program?";
}

}  // namespace

TEST(StormForeign, RandomNoticesAndShowRequestsDuringABurstLeaveEveryEngineEventApplied) {
    ScratchFolder scratch;
    ProgramRun run(scratch, L"storm");
    WriteStoredConfig(run.ConfigPath(), StoredConfig{});
    ASSERT_TRUE(run.Start(L"/minimized"));
    const HWND window = run.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(run.WaitForCall("startPelko"));
    EngineControl control;
    ASSERT_TRUE(control.Open(run.ControlPipe()));

    // A million files to store; thread 0 of the burst sends code 0 (nothing), threads 1 to 3 a
    // successful upload each, which lowers the count by one. A lost event, or an upload applied
    // to the other kind's parameters, leaves the count too high.
    ASSERT_EQ(control.Send("event 15 1000000 0 0"), "ok");
    std::thread foreign([window] {
        std::mt19937 random(20240611);
        for (int i = 0; i < 20000; ++i) {
            PostMessageW(window, kEngineNotice, random(), static_cast<LPARAM>(random()));
            if (i % 20 == 0) PostMessageW(window, kShowRequest, random(), static_cast<LPARAM>(random()));
        }
    });
    const std::optional<std::string> answer = control.Send("burst 400000 4 0 14 14 14");
    foreign.join();
    EXPECT_EQ(answer, "ok\tevents=400000\tthreads=4");

    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result), 0) << "the program answers";
    const DWORD start = GetTickCount();
    while (!IsShown(window) && GetTickCount() - start < 10000) Sleep(20);
    EXPECT_TRUE(IsShown(window)) << "the show requests showed the window";

    // The count only falls, and only to its exact end when every event was applied as sent; a
    // question asked while the queue is still being worked through shows a higher count.
    const std::wstring expected = FilesLeftQuestion(1000000 - 300000);
    std::wstring question;
    for (int attempt = 0; attempt < 50 && question != expected; ++attempt) {
        if (attempt) Sleep(200);
        question = ExitQuestion(run, window);
    }
    EXPECT_EQ(question, expected);
    EXPECT_EQ(run.WaitForExit(200), -1) << "No keeps the program";

    PostMessageW(window, kCloseRequest, 0, 0);
    EXPECT_EQ(run.WaitForExit(), 0);
    const std::vector<std::string> calls = run.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "shutdownPelko");
}
