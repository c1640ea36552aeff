// The running program read from another process, as a screen reader reads it.
#include "AccessibleTree.h"
#include "ProgramRunner.h"
#include "ui/ComApartment.h"

#include <gtest/gtest.h>
#include <oleacc.h>
#include <tlhelp32.h>

using namespace tests;

namespace {

// Whether process `pid` has loaded the module `name`.
bool HasModule(DWORD pid, const wchar_t* name) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry))
        found = lstrcmpiW(entry.szModule, name) == 0;
    CloseHandle(snapshot);
    return found;
}

// Counts the modules of `pid`: a snapshot that lists none could not be read at all.
size_t ModuleCount(DWORD pid) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    size_t count = 0;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) ++count;
    CloseHandle(snapshot);
    return count;
}

}  // namespace

TEST(ScreenReaderTest, AnotherProcessReadsTheLoginPanelAndTheLibraryLoadsOnlyThen) {
    ui::ComApartment com;
    ScratchFolder scratch;
    ProgramRun run(scratch, L"reader");
    StoredConfig config;
    config.loginName = "ann@example.com";
    WriteStoredConfig(run.ConfigPath(), config);
    ASSERT_TRUE(run.Start());
    const HWND window = run.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(run.WaitForCall("startPelko"));
    for (DWORD start = GetTickCount(); !IsShown(window) && GetTickCount() - start < 5000;) Sleep(20);
    Sleep(300);

    ASSERT_GT(ModuleCount(run.ProcessId()), 0u) << "the program's modules cannot be listed";
    EXPECT_FALSE(HasModule(run.ProcessId(), L"oleacc.dll")) << "loaded before anyone asked";

    AccessibleNode root;
    ASSERT_TRUE(ReadAccessibleTree(window, root));
    PrintAccessibleTree("login, read from another process", root);
    EXPECT_TRUE(HasModule(run.ProcessId(), L"oleacc.dll")) << "loaded by the first question";

    ASSERT_EQ(root.children.size(), 2u);
    const AccessibleNode& login = root.children[0];
    const struct {
        const wchar_t* name;
        long role;
        const wchar_t* action;
    } rows[] = {{L"Log in to Tonalix", ROLE_SYSTEM_STATICTEXT, L""},
                {L"Email", ROLE_SYSTEM_TEXT, L""},
                {L"Password", ROLE_SYSTEM_TEXT, L""},
                {L"Don't have a Tonalix account?", ROLE_SYSTEM_LINK, L"Jump"},
                {L"Forgot your password?", ROLE_SYSTEM_LINK, L"Jump"},
                {L"Log in", 0, nullptr},  // 0: the system's own object says what the button is
                {L"My Music", 0, nullptr}};
    for (const auto& row : rows) {
        const AccessibleNode* node = login.Find(row.name);
        ASSERT_NE(node, nullptr) << std::string(row.name, row.name + wcslen(row.name));
        if (row.role) {
            EXPECT_EQ(node->role, row.role);
        }
        EXPECT_FALSE(node->Invisible());
        if (row.action) {
            EXPECT_EQ(node->defaultAction, row.action);
        }
    }
    EXPECT_EQ(login.Find(L"Email")->value, L"ann@example.com");
    RECT frame{};
    GetWindowRect(window, &frame);
    const RECT& link = login.Find(L"Forgot your password?")->location;
    RECT inside{};
    EXPECT_TRUE(IntersectRect(&inside, &link, &frame) && EqualRect(&inside, &link)) << "a place on the window";
    EXPECT_TRUE(root.children[1].Invisible()) << "the status panel is hidden";

    PostMessageW(window, WM_USER + 99, 0, 0);
    EXPECT_EQ(run.WaitForExit(), 0);
}

TEST(ScreenReaderTest, AnotherProcessReadsTheOptionsDialogAndTheAboutWindow) {
    ui::ComApartment com;
    ScratchFolder scratch;
    ProgramRun run(scratch, L"reader-windows");
    WriteStoredConfig(run.ConfigPath(), StoredConfig{});
    ASSERT_TRUE(run.Start());
    const HWND window = run.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(run.WaitForCall("startPelko"));

    // Finds a top-level window of the program by its class, waiting for it to be shown.
    const auto shown = [&](const wchar_t* className) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20)) {
            for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
                 w = FindWindowExW(nullptr, w, className, nullptr)) {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (pid == run.ProcessId() && IsShown(w)) return w;
            }
        }
        return HWND{};
    };

    PostMessageW(window, WM_COMMAND, 204, 0);  // Help > About Tonalix
    const HWND about = shown(L"TAboutForm");
    ASSERT_NE(about, nullptr);
    AccessibleNode aboutTree;
    ASSERT_TRUE(ReadAccessibleTree(about, aboutTree));
    PrintAccessibleTree("About, read from another process", aboutTree);
    EXPECT_EQ(VisibleChildren(aboutTree),
              (std::vector<std::wstring>{aboutTree.children.at(0).roleText + L": Tonalix PC Client",
                                         aboutTree.children.at(0).roleText + L": version 1.0.5233"}));
    EXPECT_EQ(aboutTree.children.at(0).role, ROLE_SYSTEM_STATICTEXT);

    PostMessageW(window, WM_COMMAND, 200, 0);  // File > Options... (Settings)
    const HWND options = shown(L"TOptionsForm");
    ASSERT_NE(options, nullptr);
    AccessibleNode optionsTree;
    ASSERT_TRUE(ReadAccessibleTree(options, optionsTree, 6));
    PrintAccessibleTree("options, read from another process", optionsTree);
    const AccessibleNode* speed = optionsTree.Find(L"KiB/s");
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->role, ROLE_SYSTEM_TEXT);
    EXPECT_NE(optionsTree.Find(L"Add folder with music files to Tonalix"), nullptr);
    EXPECT_NE(optionsTree.Find(L"Music folders"), nullptr);
    PostMessageW(options, WM_CLOSE, 0, 0);

    for (DWORD start = GetTickCount(); IsShown(options) && GetTickCount() - start < 5000;) Sleep(20);
    PostMessageW(window, WM_USER + 99, 0, 0);
    EXPECT_EQ(run.WaitForExit(), 0);
}
