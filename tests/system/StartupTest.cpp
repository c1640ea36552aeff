// The real program, started as a user would, observed through the stand-in engine's call log.
#include "EngineControl.h"
#include "ProgramRunner.h"

#include <gtest/gtest.h>

using namespace tests;

namespace {

std::string Name(const std::string& line) { return line.substr(0, line.find('\t')); }

std::vector<std::string> Names(const std::vector<std::string>& lines) {
    std::vector<std::string> names;
    for (const std::string& line : lines) names.push_back(Name(line));
    return names;
}

class SystemTest : public ::testing::Test {
protected:
    ScratchFolder scratch;

    // Starts a run and waits until its start-up sequence has finished.
    HWND Start(ProgramRun& run, const StoredConfig& config, const std::wstring& arguments = L"") {
        WriteStoredConfig(run.ConfigPath(), config);
        EXPECT_TRUE(run.Start(arguments));
        const HWND window = run.WaitForMainWindow();
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(run.WaitForCall("startPelko")) << "no startPelko call";
        return window;
    }

    // The window is shown once the start-up sequence has finished: give it a moment.
    static bool BecomesShown(HWND window, DWORD timeoutMs = 5000) {
        const DWORD start = GetTickCount();
        while (!IsShown(window) && GetTickCount() - start < timeoutMs) Sleep(20);
        return IsShown(window);
    }

    static int CloseRequest(ProgramRun& run, HWND window) {
        PostMessageW(window, WM_USER + 99, 0, 0);
        return run.WaitForExit();
    }
};

}  // namespace

TEST_F(SystemTest, StartUpConfiguresTheEngineInOrderAndShutsItDownLast) {
    StoredConfig config;
    config.roots = {L"C:\\Music", std::wstring(260, L'x'), L"D:\\Rock"};
    config.serverAddress = "music.example";
    config.serverPort = 8080;
    config.serverHttpsPort = 8443;
    config.disableSslCAVerify = 1;
    config.loginName = "ann@example.com";
    config.loginPassword = "secret";
    config.maxUpload = 300;
    ProgramRun run(scratch, L"order");
    const HWND window = Start(run, config);

    const std::vector<std::string> expected = {
        "initPelko",
        "getConfig",
        "configFree",
        "disableItunes",
        "addRoot\tpath=C:\\Music",
        "addRoot\tpath=",  // 260 characters do not fit the engine's buffer
        "addRoot\tpath=D:\\Rock",
        "setServer\taddress=music.example\tport=8080\thttpsPort=8443\tdisableSslCAVerify=1",
        "setUserpass\tname=ann@example.com\tpassword=secret",
        "setMaxUpload\tlimit=300",
        "startPelko",
    };
    EXPECT_EQ(run.Calls(), expected);
    EXPECT_TRUE(BecomesShown(window));

    // A close request from another process ends the program without a question.
    EXPECT_EQ(CloseRequest(run, window), 0);
    const std::vector<std::string> calls = run.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "shutdownPelko");
    EXPECT_EQ(calls.size(), expected.size() + 1);
}

TEST_F(SystemTest, ITunesSourceAndAutomaticLogin) {
    struct Case {
        const char* name;
        long long importItunes, loginOnRun;
        const char* password;
        const char* source;
        bool logsIn;
    } cases[] = {
        {"itunes, auto login", 1, 1, "secret", "enableItunes", true},
        {"stored 2 is not itunes", 2, 2, "secret", "disableItunes", true},
        {"no password: no auto login", 1, 1, "", "enableItunes", false},
        {"auto login off", 0, 0, "secret", "disableItunes", false},
    };
    for (const Case& c : cases) {
        StoredConfig config;
        config.loginName = "ann@example.com";
        config.loginPassword = c.password;
        config.importItunes = c.importItunes;
        config.loginOnRun = c.loginOnRun;
        config.roots = {L"C:\\Music"};
        ProgramRun run(scratch, std::wstring(L"auto") + std::to_wstring(&c - cases));
        const HWND window = Start(run, config);
        // The automatic log-in is the last step before the window shows.
        ASSERT_TRUE(BecomesShown(window)) << c.name;
        std::vector<std::string> names = Names(run.Calls());
        EXPECT_EQ(names[3], c.source) << c.name;
        EXPECT_EQ(names.back() == "loginPelko", c.logsIn) << c.name;
        EXPECT_EQ(CloseRequest(run, window), 0) << c.name;
    }
}

TEST_F(SystemTest, MinimizedOnlyInExactCaseAndFirstPosition) {
    struct Case {
        const wchar_t* arguments;
        bool shown;
    } cases[] = {{L"/minimized", false}, {L"/MINIMIZED", true}, {L"other /minimized", true}, {L"", true}};
    for (const Case& c : cases) {
        ProgramRun run(scratch, L"args" + std::to_wstring(&c - cases));
        const HWND window = Start(run, StoredConfig{}, c.arguments);
        EXPECT_EQ(BecomesShown(window, c.shown ? 5000 : 500), c.shown) << "arguments: " << testing::PrintToString(std::wstring(c.arguments));
        EXPECT_EQ(CloseRequest(run, window), 0);
    }
}

TEST_F(SystemTest, SecondStartWakesTheFirstAndExits) {
    ProgramRun first(scratch, L"first");
    const HWND window = Start(first, StoredConfig{}, L"/minimized");
    ASSERT_FALSE(IsShown(window));

    EXPECT_EQ(RunToExit(L""), 0);
    EXPECT_TRUE(BecomesShown(window)) << "the show request makes the running instance's window visible";
    EXPECT_EQ(FindWindowExW(nullptr, window, L"TPelkoMainForm", nullptr), nullptr) << "no second main window";
    EXPECT_EQ(CloseRequest(first, window), 0);
}

TEST_F(SystemTest, EndingEventsShowTheirErrorAndLeaveThroughTheExitPath) {
    struct Case {
        const char* command;
        std::wstring text;
    } cases[] = {
        {"event 1 0 0 0", L"Initialization failed, program will now shutdown."},
        {"event 17 0 0 0", L"Tonalix encountered a fatal error, it will now shutdown."},
        {"event 20 0 0 0", L"Unexpexted status (20) reported from DLL, program will now shutdown."},
        {"event -1 0 0 0", L"Unexpexted status (-1) reported from DLL, program will now shutdown."},
    };
    for (const Case& c : cases) {
        ProgramRun run(scratch, L"fatal" + std::to_wstring(&c - cases));
        Start(run, StoredConfig{});
        EngineControl control;
        ASSERT_TRUE(control.Open(run.ControlPipe()));
        ASSERT_TRUE(control.Send(c.command).has_value());
        const FoundBox box = WaitForMessageBox(run.ProcessId());
        ASSERT_NE(box.dialog, nullptr) << c.command;
        EXPECT_EQ(box.caption, L"Error");
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(run.WaitForExit(300), -1) << "the program waits for the box";
        PressButton(box, IDOK);
        EXPECT_EQ(run.WaitForExit(), 0) << c.command;
        EXPECT_EQ(run.Calls().back(), "shutdownPelko");
    }
}

TEST_F(SystemTest, ForeignEngineNoticesAndShowRequestsAreHarmless) {
    ProgramRun run(scratch, L"foreign");
    const HWND window = Start(run, StoredConfig{}, L"/minimized");
    for (int i = 0; i < 200; ++i) {
        PostMessageW(window, WM_USER + 1, static_cast<WPARAM>(i * 7919), static_cast<LPARAM>(i * 104729));
        PostMessageW(window, WM_USER + 98, static_cast<WPARAM>(i), static_cast<LPARAM>(-i));
    }
    // A real event afterwards is still applied: a fatal one ends the program after its box.
    EngineControl control;
    ASSERT_TRUE(control.Open(run.ControlPipe()));
    ASSERT_TRUE(control.Send("event 17 0 0 0").has_value());
    const FoundBox box = WaitForMessageBox(run.ProcessId());
    ASSERT_NE(box.dialog, nullptr);
    EXPECT_EQ(box.text, L"Tonalix encountered a fatal error, it will now shutdown.");
    PressButton(box, IDOK);
    EXPECT_EQ(run.WaitForExit(), 0);
}
