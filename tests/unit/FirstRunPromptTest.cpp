// The first-run prompt: installed by the start-up only without any music source, shown once at
// the first idle moment of the program's message loop, opening the dialog on "My Music" on Yes.
#include "BoxWatcher.h"
#include "GUI/Application.h"
#include "GUI/OptionsUnit.h"
#include "MainWindowFixture.h"

#include <functional>
#include <string>

using namespace tests;

namespace {

const wchar_t kPromptCaption[] = L"Add music to Tonalix";
const wchar_t kPromptText[] =
    L"Welcome to Tonalix. Tonalix does not know where your music is. Would you like to configure your music "
    L"folders now?";

bool BoxShowing() {
    HWND dialog = nullptr;
    while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(dialog, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(dialog)) return true;
    }
    return false;
}

// Calls `tick` every few milliseconds from whatever loop runs on this thread.
std::function<void()> g_tick;
void CALLBACK TickProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_tick) g_tick();
}

// A first start: no music folder and not the iTunes library.
StoredConfig NoSource() {
    StoredConfig config;
    config.roots.clear();
    config.importItunes = 0;
    return config;
}

class FirstRunTest : public MainWindowTest {
protected:
    StoredConfig Stored() const override { return NoSource(); }

    void SetUp() override {
        Application().SetIdleHandler(nullptr);
        MainWindowTest::SetUp();
        OptionsForm = std::make_unique<TOptionsForm>();
        ASSERT_TRUE(OptionsForm->Create(form->Handle()));
    }

    void TearDown() override {
        OptionsForm.reset();
        Application().SetIdleHandler(nullptr);
        MainWindowTest::TearDown();
    }

    // Runs the program's message loop, idle handler included, until `done` holds (or 10 s pass).
    // `tick` runs on every turn before `done` is asked.
    static void RunProgramLoopUntil(const std::function<bool()>& done, const std::function<void()>& tick = {}) {
        const DWORD start = GetTickCount();
        g_tick = [&] {
            if (tick) tick();
            if (done() || GetTickCount() - start > 10000) PostQuitMessage(0);
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &TickProc);
        Application().Run();
        KillTimer(nullptr, timer);
        g_tick = nullptr;
    }
};

}  // namespace

TEST_F(FirstRunTest, NoLeavesTheDialogClosedAndThePromptComesOnce) {
    ASSERT_TRUE(Application().HasIdleHandler()) << "no folders, no iTunes: the start-up installs the prompt";
    BoxWatcher watcher(IDNO);
    bool dialogShown = false;
    RunProgramLoopUntil([&] { return watcher.Seen().size() == 1 && !BoxShowing(); },
                        [&] { dialogShown = dialogShown || OptionsForm->Visible(); });

    const std::vector<SeenBox> seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, kPromptCaption);
    EXPECT_EQ(seen[0].text, kPromptText);
    EXPECT_FALSE(dialogShown);
    EXPECT_FALSE(OptionsForm->Visible());
    EXPECT_FALSE(Application().HasIdleHandler());

    // Later idle moments of the same run ask nothing more.
    const DWORD start = GetTickCount();
    RunProgramLoopUntil([&] { return GetTickCount() - start > 300; });
    EXPECT_EQ(watcher.Seen().size(), 1u);
}

TEST_F(FirstRunTest, YesOpensTheDialogOnMyMusic) {
    OptionsForm->SelectPage(1);
    BoxWatcher watcher(IDYES);
    bool opened = false;
    int page = -1;
    bool mainEnabled = true;
    RunProgramLoopUntil([&] { return opened && !OptionsForm->IsModal(); },
                        [&] {
                            if (!OptionsForm->IsModal()) return;
                            opened = OptionsForm->Visible();
                            page = OptionsForm->PageControl1.ActivePageIndex();
                            mainEnabled = IsWindowEnabled(form->Handle()) != FALSE;
                            OptionsForm->CancelButton1Click();
                        });
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, kPromptText);
    EXPECT_TRUE(opened);
    EXPECT_EQ(page, 0);
    EXPECT_FALSE(mainEnabled);
}

// A music folder, or the iTunes library.
class ConfiguredSourceTest : public FirstRunTest, public ::testing::WithParamInterface<std::string> {
protected:
    StoredConfig Stored() const override {
        StoredConfig config = NoSource();
        if (GetParam() == "Folder") config.roots = {L"D:\\Music"};
        else config.importItunes = 1;
        return config;
    }
};

TEST_P(ConfiguredSourceTest, NoPrompt) {
    EXPECT_FALSE(Application().HasIdleHandler());
    BoxWatcher watcher(IDNO);
    const DWORD start = GetTickCount();
    RunProgramLoopUntil([&] { return GetTickCount() - start > 300; });
    EXPECT_TRUE(watcher.Seen().empty());
}

INSTANTIATE_TEST_SUITE_P(FirstRun, ConfiguredSourceTest, ::testing::Values("Folder", "Itunes"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });
