// GDI and USER objects under load: over a thousand status changes and a hundred openings of each
// window (the options dialog, the About window, the main window closed to the notification area
// and shown again), the program holds no more objects than before.
#include "GUI/AboutUnit.h"
#include "GUI/Application.h"
#include "GUI/EngineBridge.h"
#include "GUI/OptionsUnit.h"
#include "GUI/VersionInfo.h"
#include "GUI/WindowMessages.h"
#include "MainWindowFixture.h"
#include "bench/GuiObjectCount.h"

#include <gtest/gtest.h>

using namespace tests;

namespace {

struct Step {
    int32_t code, p1, p2, p3;
    const wchar_t* text;
};

// Through every status and back to logged out: the login, counts, an upload with its gauge and
// progress, streaming, indexing, idle.
const Step kStatusRound[] = {
    {5, 0, 0, 0, nullptr},  {7, 0, 0, 0, nullptr},    {15, 2, 10, 0, nullptr}, {12, 0, 0, 0, L"C:\\Music\\a.mp3"},
    {16, 1000, 400, 1000, nullptr}, {14, 1, 0, 0, nullptr}, {10, 0, 0, 0, L"C:\\Music\\b.mp3"}, {11, 0, 0, 0, nullptr},
    {18, 1, 0, 0, nullptr}, {18, 0, 0, 0, nullptr}, {15, 0, 10, 0, nullptr},  {8, 0, 0, 0, nullptr},
};
constexpr int kStepsPerRound = sizeof(kStatusRound) / sizeof(kStatusRound[0]);
constexpr int kStatusChanges = 1000;
constexpr int kOpenings = 100;

class StormGuiObjectsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Application().SetIdleHandler(nullptr);  // no first-run prompt here
        ProgramVersion = std::make_unique<TVersionInfo>();
        OptionsForm = std::make_unique<TOptionsForm>();
        ASSERT_TRUE(OptionsForm->Create(form->Handle()));
        AboutForm = std::make_unique<TAboutForm>();
        AboutForm->SoundPlayer = [](const wchar_t*, HMODULE, DWORD) {};
        ASSERT_EQ(AboutForm->Create(form->Handle()), TAboutCreateResult::Created);
        // Shown with the status panel, so the status pictures and the gauge really paint.
        form->Show(SW_SHOWNORMAL);
        form->ShowStatusPanel();
        Pump();
    }
    void TearDown() override {
        AboutForm.reset();
        OptionsForm.reset();
        MainWindowTest::TearDown();
        ProgramVersion.reset();
    }

    void StatusChanges(int count) {
        for (int i = 0; i < count; ++i) {
            const Step& s = kStatusRound[i % kStepsPerRound];
            Event(s.code, s.p1, s.p2, s.p3, s.text);
        }
        Event(8);  // every run ends logged out
    }

    void OpenAndCancelOptions(int page) {
        // The click on Cancel waits in the queue until the dialog's own loop runs.
        const HWND cancel = OptionsForm->CancelButton1.Handle();
        PostMessageW(GetParent(cancel), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(cancel), BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel));
        OptionsForm->ShowModalOnPage(page);
        Pump();
    }

    // Closing the main window only hides it; the show request brings it back.
    void HideAndShowMainWindow() {
        form->Close();
        Pump();
        SendMessageW(form->Handle(), WM_SHOW_REQUEST, 0, 0);
        Pump();
    }

    void ShowAndHideAbout() {
        AboutForm->ShowAbout();
        Pump();
        AboutForm->FormKeyDown(VK_ESCAPE, TShiftState{});
        Pump();
    }

    // Every count sees the same state: the icon keeps the frames of its last animation as icons,
    // and Wine keeps the area of a window still waiting to be painted as a region of the
    // program's own; both are let go first.
    bench::GuiObjectCounts Count() {
        form->TrayIcon->SetIconList(nullptr);
        Pump();
        EnumThreadWindows(GetCurrentThreadId(), &ValidateWindow, 0);
        return bench::CountOwnGuiObjects();
    }

    static BOOL CALLBACK ValidateWindow(HWND window, LPARAM) {
        RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
        return TRUE;
    }
};

}  // namespace

TEST_F(StormGuiObjectsTest, ManyStatusChangesAndOpeningsAddNoObjects) {
    // Two rounds of each first: fonts, pictures and the windows' own parts are made on first use,
    // and the system keeps some of its own (cached device contexts) once they have been needed.
    for (int round = 0; round < 2; ++round) {
        StatusChanges(kStepsPerRound);
        OpenAndCancelOptions(0);
        OpenAndCancelOptions(1);
        ShowAndHideAbout();
        HideAndShowMainWindow();
    }
    const bench::GuiObjectCounts before = Count();
    ASSERT_GT(before.gdi, 0u);
    ASSERT_GT(before.user, 0u);

    StatusChanges(kStatusChanges);
    for (int i = 0; i < kOpenings; ++i) OpenAndCancelOptions(i % 2);
    for (int i = 0; i < kOpenings; ++i) ShowAndHideAbout();
    for (int i = 0; i < kOpenings; ++i) HideAndShowMainWindow();
    const bench::GuiObjectCounts after = Count();

    EXPECT_EQ(after.gdi, before.gdi) << "GDI objects";
    EXPECT_EQ(after.user, before.user) << "USER objects";
    EXPECT_FALSE(OptionsForm->Visible());
    EXPECT_FALSE(AboutForm->Visible());
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->pelkoState.connectionState, core::TPelkoConnectionState::LoggedOut);
}
