// The options dialog over the real main window and the stand-in engine: loading, the folder
// rules with the folder browser replaced, Done's engine calls, Cancel, the iTunes source, the
// upload limit, the modal show, tab order, resizing and the button pictures.
#include "GUI/Application.h"
#include "GUI/OptionsUnit.h"
#include "GUI/PelkoConfig.h"
#include "MainWindowFixture.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>

using namespace tests;

namespace {

const wchar_t kMaximumMessage[] =
    L"Maximum number of music folders reached. You may reduce the number of music folders by selecting a parent "
    L"folder.";

// Runs `tick` every few milliseconds in whatever message loop this thread is in (modal ones too).
class Ticker {
public:
    explicit Ticker(std::function<void()> tick) : tick_(std::move(tick)) {
        current_ = this;
        id_ = SetTimer(nullptr, 0, 20, &Ticker::Proc);
    }
    ~Ticker() {
        KillTimer(nullptr, id_);
        current_ = nullptr;
    }
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

private:
    static void CALLBACK Proc(HWND, UINT, UINT_PTR, DWORD) {
        if (current_) current_->tick_();
    }
    static Ticker* current_;
    std::function<void()> tick_;
    UINT_PTR id_ = 0;
};
Ticker* Ticker::current_ = nullptr;

// Notes whether the main window was enabled at the moment the dialog was hidden.
class HideWatch {
public:
    HideWatch(HWND dialog, HWND main) {
        dialog_ = dialog;
        main_ = main;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &HideWatch::Proc, nullptr, GetCurrentThreadId());
    }
    ~HideWatch() { UnhookWindowsHookEx(hook_); }
    HideWatch(const HideWatch&) = delete;
    HideWatch& operator=(const HideWatch&) = delete;
    static int mainEnabledAtHide;  // -1: not hidden yet

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->hwnd == dialog_ && call->message == WM_SHOWWINDOW && !call->wParam)
            mainEnabledAtHide = IsWindowEnabled(main_) ? 1 : 0;
        return CallNextHookEx(hook_, code, wParam, lParam);
    }
    static HWND dialog_, main_;
    static HHOOK hook_;
};
int HideWatch::mainEnabledAtHide = -1;
HWND HideWatch::dialog_ = nullptr;
HWND HideWatch::main_ = nullptr;
HHOOK HideWatch::hook_ = nullptr;

struct StoreState {
    std::vector<std::wstring> roots;
    bool itunes = false;
    int32_t limit = -1;
    bool autoRun = false;
    bool autoLogin = false;
};

class OptionsTest : public MainWindowTest {
protected:
    void SetUp() override {
        appData_ = scratch.Path(L"appdata");
        CreateDirectoryW(appData_.c_str(), nullptr);
        SetEnvironmentVariableW(L"APPDATA", appData_.c_str());
        MainWindowTest::SetUp();
        Application().SetIdleHandler(nullptr);  // no first-run prompt here
        LastFolder.clear();
        dialog = std::make_unique<TOptionsForm>();
        ASSERT_TRUE(dialog->Create(form->Handle()));
        dialog->ShowErrorBox = [this](const std::wstring& text) { errors.push_back(text); };
        dialog->FolderPicker = [this](HWND, const std::wstring& start) -> std::optional<std::wstring> {
            starts.push_back(start);
            if (picks.empty()) return std::nullopt;
            std::optional<std::wstring> pick = picks.front();
            picks.pop_front();
            return pick;
        };
    }

    void TearDown() override {
        dialog.reset();
        SetItunesPrefs(false);
        RemoveDirectoryW(appData_.c_str());
        SetEnvironmentVariableW(L"APPDATA", nullptr);
        MainWindowTest::TearDown();
    }

    // Puts `stored` into Config as the engine's record would, then shows the dialog's controls.
    void Show(const StoreState& stored) {
        DLLConfig record{};
        for (size_t i = 0; i < stored.roots.size(); ++i) record.indexerRoots[i] = stored.roots[i].c_str();
        record.indexerRootCount = static_cast<uint32_t>(stored.roots.size());
        record.importItunes = stored.itunes ? 1 : 0;
        record.maxUpload = stored.limit;
        record.runOnStartup = stored.autoRun ? 1 : 0;
        record.loginOnRun = stored.autoLogin ? 1 : 0;
        Config->SetConfig(&record);
        dialog->FormShow();
        ClearCalls();
    }

    void SetItunesPrefs(bool present) {
        const std::wstring apple = appData_ + L"\\Apple Computer";
        const std::wstring itunes = apple + L"\\iTunes";
        const std::wstring file = itunes + L"\\iTunesPrefs.xml";
        if (present) {
            CreateDirectoryW(apple.c_str(), nullptr);
            CreateDirectoryW(itunes.c_str(), nullptr);
            HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            CloseHandle(h);
        } else {
            DeleteFileW(file.c_str());
            RemoveDirectoryW(itunes.c_str());
            RemoveDirectoryW(apple.c_str());
        }
    }

    std::vector<std::wstring> StoreFolders() const {
        std::vector<std::wstring> folders;
        for (int i = 0; i < Config->GetDirCount(); ++i) folders.push_back(Config->GetDir(i));
        return folders;
    }

    // A click on a list entry as the mouse makes it.
    void ClickEntry(int index) {
        RECT item{};
        SendMessageW(dialog->PathListBox.Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM(item.left + 5, item.top + 3);
        SendMessageW(dialog->PathListBox.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(dialog->PathListBox.Handle(), WM_LBUTTONUP, 0, at);
        Pump();
    }

    RECT GroupBounds() const {
        RECT rc{};
        GetWindowRect(dialog->SourcesGroupBox.Handle(), &rc);
        MapWindowPoints(nullptr, dialog->FoldersTab->Handle(), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    // A click on a check box or radio button as the mouse makes it: the state changes, then the
    // handler runs.
    static void Press(const ui::CheckBox& box) {
        SendMessageW(box.Handle(), BM_CLICK, 0, 0);
        Pump();
    }

    // The controls Tab visits from `first` until it comes back round.
    std::vector<HWND> TabOrderFrom(HWND first) const {
        std::vector<HWND> order{first};
        for (HWND next = GetNextDlgTabItem(dialog->Handle(), first, FALSE); next && next != first && order.size() < 20;
             next = GetNextDlgTabItem(dialog->Handle(), next, FALSE))
            order.push_back(next);
        return order;
    }

    void AddFolder(const std::wstring& path) {
        picks.push_back(path);
        dialog->AddPathBtnClick();
    }

    std::unique_ptr<TOptionsForm> dialog;
    std::vector<std::wstring> errors;
    std::vector<std::wstring> starts;
    std::deque<std::optional<std::wstring>> picks;
    std::wstring appData_;
};

}  // namespace

TEST_F(OptionsTest, ShowLoadsEveryControlFromTheStore) {
    SetItunesPrefs(true);
    struct Case {
        StoreState stored;
    } cases[] = {
        {{{L"D:\\Music", L"C:\\Audio"}, false, -1, true, false}},
        {{{}, true, 250, false, true}},
        {{{L"E:\\Songs"}, true, 40, true, true}},
    };
    for (const Case& c : cases) {
        // Leftovers of an earlier showing must not survive the reload.
        dialog->PathListBox.Add(L"X:\\Unsaved");
        dialog->PathListBox.SetItemIndex(0);
        dialog->RemovePathBtn.SetEnabled(true);
        Show(c.stored);
        const bool itunes = c.stored.itunes;
        EXPECT_EQ(dialog->PathListBox.Items(), c.stored.roots);
        EXPECT_EQ(dialog->PathListBox.ItemIndex(), -1);
        EXPECT_FALSE(dialog->RemovePathBtn.Enabled());
        EXPECT_EQ(dialog->ItunesRadioBtn.Checked(), itunes);
        EXPECT_EQ(dialog->FoldersRadioBtn.Checked(), !itunes);
        EXPECT_EQ(dialog->ItunesImage.Visible(), itunes);
        EXPECT_EQ(dialog->FolderImage.Visible(), !itunes);
        EXPECT_EQ(dialog->PathListBox.Enabled(), !itunes);
        EXPECT_EQ(dialog->AddPathBtn.Enabled(), !itunes);
        EXPECT_EQ(dialog->StartupCheckbox.Checked(), c.stored.autoRun);
        EXPECT_EQ(dialog->LoginCheckbox.Checked(), c.stored.autoLogin);
        EXPECT_EQ(dialog->BWCheckBox.Checked(), c.stored.limit != -1);
        EXPECT_EQ(dialog->BWEdit.Enabled(), c.stored.limit != -1);
        EXPECT_EQ(dialog->BWEdit.Text(), std::to_wstring(c.stored.limit == -1 ? 10 : c.stored.limit));
    }
}

TEST_F(OptionsTest, AddingFollowsTheFolderRules) {
    const std::wstring tooLong = L"D:\\" + std::wstring(257, L'x');  // 260 characters
    struct Case {
        const char* name;
        std::vector<std::wstring> listed;
        std::optional<std::wstring> picked;
        std::vector<std::wstring> after;
        std::vector<std::wstring> errors;
        bool added = false;
    } cases[] = {
        {"a new folder is appended", {L"D:\\Music"}, L"E:\\New", {L"D:\\Music", L"E:\\New"}, {}, true},
        {"a drive replaces the folders on it silently", {L"D:\\Music", L"C:\\Audio", L"D:\\Video"}, L"D:\\",
         {L"C:\\Audio", L"D:\\"}, {}, true},
        {"a folder inside a listed one is refused naming both", {L"C:\\Audio", L"D:\\Music"}, L"D:\\Music\\Rock",
         {L"C:\\Audio", L"D:\\Music"},
         {L"The folder \"D:\\Music\\Rock\" is already included under the folder \"D:\\Music\", it will not be "
          L"added."}},
        {"a listed folder in other letter case is ignored", {L"D:\\Music"}, L"d:\\MUSIC", {L"D:\\Music"}, {}},
        {"a share is refused", {L"D:\\Music"}, L"\\\\server\\music", {L"D:\\Music"}, {L"Invalid folder selected"}},
        {"a short path is refused", {}, L"D:", {}, {L"Invalid folder selected"}},
        {"a path beyond 259 characters is refused, not cut", {}, tooLong, {}, {L"Invalid folder selected"}},
        {"a cancelled browser changes nothing", {L"D:\\Music"}, std::nullopt, {L"D:\\Music"}, {}},
    };
    for (const Case& c : cases) {
        Show({c.listed});
        errors.clear();
        LastFolder = L"C:\\Before";
        picks.push_back(c.picked);
        dialog->AddPathBtnClick();
        EXPECT_EQ(dialog->PathListBox.Items(), c.after) << c.name;
        EXPECT_EQ(errors, c.errors) << c.name;
        EXPECT_EQ(LastFolder, c.added ? *c.picked : L"C:\\Before") << c.name;
        EXPECT_EQ(StoreFolders(), c.listed) << c.name << ": the store waits for Done";
        EXPECT_TRUE(Calls().empty()) << c.name;
    }
    EXPECT_EQ(starts, std::vector<std::wstring>(std::size(cases), L"C:\\Before")) << "the browser starts at LastFolder";
}

TEST_F(OptionsTest, FullListRefusesBeforeTheBrowserOpens) {
    StoreState full;
    for (int i = 0; i < 32; ++i) full.roots.push_back(L"D:\\Music" + std::to_wstring(i));
    Show(full);
    dialog->AddPathBtnClick();
    EXPECT_EQ(errors, std::vector<std::wstring>{kMaximumMessage});
    EXPECT_TRUE(starts.empty()) << "no browser for a full list";

    ClickEntry(5);
    dialog->RemovePathBtnClick();
    AddFolder(L"E:\\New");
    EXPECT_EQ(starts.size(), 1u);
    EXPECT_EQ(dialog->PathListBox.Count(), 32);
    EXPECT_EQ(dialog->PathListBox.Item(31), L"E:\\New");
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(OptionsTest, RemoveButtonFollowsTheSelection) {
    Show({{L"A:\\One", L"B:\\Two", L"C:\\Three"}});
    EXPECT_FALSE(dialog->RemovePathBtn.Enabled());
    dialog->RemovePathBtnClick();
    EXPECT_EQ(dialog->PathListBox.Count(), 3) << "nothing selected, nothing removed";

    ClickEntry(1);
    EXPECT_TRUE(dialog->RemovePathBtn.Enabled());
    dialog->RemovePathBtn.Click();
    EXPECT_EQ(dialog->PathListBox.Items(), (std::vector<std::wstring>{L"A:\\One", L"C:\\Three"}));
    EXPECT_FALSE(dialog->RemovePathBtn.Enabled()) << "stays off until another entry is clicked";
    EXPECT_EQ(StoreFolders().size(), 3u);
    EXPECT_TRUE(Calls().empty());

    ClickEntry(0);
    EXPECT_TRUE(dialog->RemovePathBtn.Enabled());
    AddFolder(L"A:\\");  // replaces the selected entry
    EXPECT_EQ(dialog->PathListBox.Items(), (std::vector<std::wstring>{L"C:\\Three", L"A:\\"}));
    EXPECT_FALSE(dialog->RemovePathBtn.Enabled()) << "the selection went with the replaced entry";
}

TEST_F(OptionsTest, DoneAppliesChangesInTheEngineOrderAndTheNextStartShowsThem) {
    SetItunesPrefs(true);
    Show({{L"D:\\Music", L"C:\\Audio", L"E:\\Video"}, false, -1});
    ClickEntry(1);
    dialog->RemovePathBtnClick();
    AddFolder(L"F:\\New");
    Press(dialog->ItunesRadioBtn);
    Press(dialog->StartupCheckbox);
    Press(dialog->LoginCheckbox);
    Press(dialog->BWCheckBox);
    dialog->BWEdit.SetText(L"300");
    dialog->DoneButton1Click();

    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0], "removeRoot\tpath=C:\\Audio");
    EXPECT_EQ(calls[1], "enableItunes");
    EXPECT_EQ(calls[2], "addRoot\tpath=F:\\New");
    EXPECT_EQ(calls[3].rfind("setConfig\troots=3\troot0=D:\\Music\troot1=E:\\Video\troot2=F:\\New\t", 0), 0u)
        << calls[3];
    for (const char* field : {"\tmaxUpload=300", "\trunOnStartup=1", "\tloginOnRun=1", "\timportItunes=1"})
        EXPECT_NE(calls[3].find(field), std::string::npos) << field;
    EXPECT_EQ(calls[4], "setMaxUpload\tlimit=300");
    EXPECT_EQ(calls[5], "configSave");
    EXPECT_EQ(StoreFolders(), (std::vector<std::wstring>{L"D:\\Music", L"E:\\Video", L"F:\\New"}));
    EXPECT_FALSE(dialog->Visible());

    // A new start reads what the engine stored.
    dialog.reset();
    form.reset();
    form = std::make_unique<TPelkoMainForm>();
    ASSERT_TRUE(form->Create(false));
    dialog = std::make_unique<TOptionsForm>();
    ASSERT_TRUE(dialog->Create(form->Handle()));
    dialog->FormShow();
    EXPECT_EQ(dialog->PathListBox.Items(), (std::vector<std::wstring>{L"D:\\Music", L"E:\\Video", L"F:\\New"}));
    EXPECT_TRUE(dialog->ItunesRadioBtn.Checked());
    EXPECT_TRUE(dialog->StartupCheckbox.Checked());
    EXPECT_TRUE(dialog->LoginCheckbox.Checked());
    EXPECT_TRUE(dialog->BWCheckBox.Checked());
    EXPECT_EQ(dialog->BWEdit.Text(), L"300");
}

TEST_F(OptionsTest, CancelLeavesTheStoreUntouchedAndReopeningShowsIt) {
    SetItunesPrefs(true);
    const StoreState stored{{L"D:\\Music", L"C:\\Audio"}, false, 64, false, true};
    Show(stored);
    ClickEntry(0);
    dialog->RemovePathBtnClick();
    AddFolder(L"E:\\New");
    Press(dialog->ItunesRadioBtn);
    Press(dialog->StartupCheckbox);
    dialog->BWEdit.SetText(L"500");
    dialog->CancelButton1Click();

    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(StoreFolders(), stored.roots);
    EXPECT_FALSE(Config->GetItunesEnabled());
    EXPECT_FALSE(Config->GetAutoRun());
    EXPECT_EQ(Config->GetMaxUpload(), 64);

    dialog->FormShow();
    EXPECT_EQ(dialog->PathListBox.Items(), stored.roots);
    EXPECT_TRUE(dialog->FoldersRadioBtn.Checked());
    EXPECT_FALSE(dialog->StartupCheckbox.Checked());
    EXPECT_EQ(dialog->BWEdit.Text(), L"64");
}

TEST_F(OptionsTest, ItunesSourceDisablesTheListButKeepsItForDone) {
    SetItunesPrefs(true);
    Show({{L"D:\\Music", L"C:\\Audio"}});
    ClickEntry(1);
    dialog->RemovePathBtnClick();
    AddFolder(L"E:\\New");
    ClickEntry(0);

    Press(dialog->ItunesRadioBtn);
    EXPECT_FALSE(dialog->FoldersRadioBtn.Checked());
    EXPECT_FALSE(dialog->PathListBox.Enabled());
    EXPECT_FALSE(dialog->AddPathBtn.Enabled());
    EXPECT_FALSE(dialog->RemovePathBtn.Enabled());
    EXPECT_TRUE(dialog->ItunesImage.Visible());
    EXPECT_FALSE(dialog->FolderImage.Visible());
    EXPECT_EQ(dialog->PathListBox.Items(), (std::vector<std::wstring>{L"D:\\Music", L"E:\\New"}));

    Press(dialog->FoldersRadioBtn);
    EXPECT_TRUE(dialog->PathListBox.Enabled());
    EXPECT_TRUE(dialog->AddPathBtn.Enabled());
    EXPECT_TRUE(dialog->RemovePathBtn.Enabled()) << "the selection is still there";
    EXPECT_TRUE(dialog->FolderImage.Visible());

    Press(dialog->ItunesRadioBtn);
    dialog->DoneButton1Click();
    const std::vector<std::string> calls = Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "removeRoot\tpath=C:\\Audio");
    EXPECT_EQ(calls[1], "enableItunes");
    EXPECT_EQ(calls[2], "addRoot\tpath=E:\\New");
    EXPECT_EQ(StoreFolders(), (std::vector<std::wstring>{L"D:\\Music", L"E:\\New"}));
    EXPECT_TRUE(Config->GetItunesEnabled());
}

TEST_F(OptionsTest, ItunesChoiceNeedsThePreferencesFile) {
    struct Case {
        bool prefs;
        bool storedItunes;
    } cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    for (const Case& c : cases) {
        SetItunesPrefs(c.prefs);
        EXPECT_EQ(ItunesPrefsExist(), c.prefs);
        Show({{}, c.storedItunes});
        EXPECT_EQ(dialog->ItunesRadioBtn.Enabled(), c.prefs) << c.prefs << c.storedItunes;
        EXPECT_EQ(dialog->ItunesRadioBtn.Checked(), c.storedItunes) << "shown checked even without the file";
        EXPECT_EQ(dialog->ItunesImage.Visible(), c.storedItunes);
    }
    SetEnvironmentVariableW(L"APPDATA", nullptr);
    EXPECT_FALSE(ItunesPrefsExist());
}

TEST_F(OptionsTest, UploadLimitFollowsTheBoxTheSpinButtonsAndTheEdit) {
    Show({{}, false, -1});
    EXPECT_FALSE(dialog->BWCheckBox.Checked());
    EXPECT_FALSE(dialog->BWEdit.Enabled());
    EXPECT_FALSE(dialog->BWUpDown.Enabled());
    EXPECT_EQ(dialog->BWEdit.Text(), L"10") << "the spin position of the first showing";

    Press(dialog->BWCheckBox);
    EXPECT_TRUE(dialog->BWEdit.Enabled());
    EXPECT_TRUE(dialog->BWUpDown.Enabled());

    struct Typed {
        const wchar_t* text;
        int position;
    } typed[] = {{L"300", 300}, {L"abc", 300}, {L"1001", 300}, {L"1", 300}, {L"", 300},
                 {L"2", 2},     {L" 1000 ", 1000}, {L"-5", 1000}, {L"99999999999999", 1000}, {L"42", 42}};
    for (const Typed& t : typed) {
        dialog->BWEdit.SetText(t.text);
        EXPECT_EQ(dialog->BWUpDown.Position(), t.position) << std::string(t.text, t.text + wcslen(t.text));
    }

    // The upper spin button, clicked: one step up, written into the edit.
    RECT spin{};
    GetClientRect(dialog->BWUpDown.Handle(), &spin);
    const LPARAM upper = MAKELPARAM(spin.right / 2, spin.bottom / 4);
    SendMessageW(dialog->BWUpDown.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, upper);
    SendMessageW(dialog->BWUpDown.Handle(), WM_LBUTTONUP, 0, upper);
    EXPECT_EQ(dialog->BWUpDown.Position(), 43);
    EXPECT_EQ(dialog->BWEdit.Text(), L"43");

    dialog->DoneButton1Click();
    EXPECT_EQ(Config->GetMaxUpload(), 43);

    Show({{}, false, 43});
    Press(dialog->BWCheckBox);
    EXPECT_FALSE(dialog->BWEdit.Enabled());
    dialog->DoneButton1Click();
    EXPECT_EQ(Config->GetMaxUpload(), -1);
    const std::vector<std::string> calls = Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "setMaxUpload\tlimit=-1"), calls.end());

    Show({{}, false, 5000});
    EXPECT_EQ(dialog->BWEdit.Text(), L"1000") << "a stored limit beyond the range shows the nearest position";
}

TEST_F(OptionsTest, ModalShowOpensOnItsPageCentredAndOnlyDoneCancelOrCloseEndIt) {
    struct Case {
        int page;
    } cases[] = {{0}, {1}};
    // The openers sit on the shown main window.
    form->Show(SW_SHOWNORMAL);
    form->BringToForeground();
    Pump();
    HideWatch watch(dialog->Handle(), form->Handle());
    for (const Case& c : cases) {
        ClearCalls();
        HideWatch::mainEnabledAtHide = -1;
        dialog->SelectPage(1 - c.page);
        struct Seen {
            bool visible = false, mainEnabled = true, focused = false, stillOpen = false;
            int page = -1, ticks = 0, activeAt = 0;
            POINT centre{};
        } seen;
        {
            Ticker ticker([&] {
                ++seen.ticks;
                if (seen.ticks > 200) {
                    dialog->CancelButton1Click();  // never hang the run
                } else if (!seen.activeAt) {
                    // Another test process may hold the foreground for a moment: come back as a
                    // user's click would, to the control that had the focus.
                    if (GetActiveWindow() != dialog->Handle()) {
                        dialog->BringToForeground();
                        return;
                    }
                    seen.activeAt = seen.ticks;
                    seen.visible = dialog->Visible();
                    seen.mainEnabled = IsWindowEnabled(form->Handle()) != FALSE;
                    seen.focused = dialog->PageControl1.Focused();
                    seen.page = dialog->PageControl1.ActivePageIndex();
                    RECT rc{};
                    GetWindowRect(dialog->Handle(), &rc);
                    seen.centre = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
                    // Neither button is a default or cancel button.
                    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
                        PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
                        PostMessageW(GetFocus(), WM_KEYUP, key, 0);
                    }
                } else if (seen.ticks == seen.activeAt + 2) {
                    seen.stillOpen = dialog->IsModal() && dialog->Visible();
                    PostMessageW(dialog->Handle(), WM_CLOSE, 0, 0);  // the close box
                }
            });
            dialog->ShowModalOnPage(c.page);
        }
        EXPECT_GT(seen.activeAt, 0) << "the dialog is the active window";
        EXPECT_TRUE(seen.visible);
        EXPECT_FALSE(seen.mainEnabled) << "the main window waits while the dialog is open";
        EXPECT_TRUE(seen.focused) << "the page control has the focus";
        EXPECT_EQ(seen.page, c.page);
        EXPECT_NEAR(seen.centre.x, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
        EXPECT_NEAR(seen.centre.y, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
        EXPECT_TRUE(seen.stillOpen) << "Enter and Escape press nothing";
        EXPECT_LT(seen.ticks, 200);
        EXPECT_FALSE(dialog->Visible());
        EXPECT_FALSE(dialog->IsModal());
        EXPECT_TRUE(IsWindowEnabled(form->Handle()));
        EXPECT_EQ(HideWatch::mainEnabledAtHide, 1) << "the main window is enabled before the dialog hides, so "
                                                      "the activation can return to it";
        for (const std::string& call : Calls()) ADD_FAILURE() << "the close box applies nothing: " << call;
    }
}

TEST_F(OptionsTest, ProgramEndWhileOpenClosesWithoutApplyingAndPassesTheQuitOn) {
    ClearCalls();
    bool posted = false;
    {
        Ticker ticker([&] {
            if (!dialog->IsModal() || posted) return;
            dialog->PathListBox.Add(L"E:\\Unsaved");
            PostQuitMessage(7);  // as the main window's close posts it
            posted = true;
        });
        dialog->ShowModalOnPage(0);
    }
    EXPECT_TRUE(posted);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    EXPECT_TRUE(Calls().empty());
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the outer loop still sees the quit";
    EXPECT_EQ(quit.wParam, 7u);
}

TEST_F(OptionsTest, SessionEndDestroyingTheMainWindowEndsTheModalShow) {
    bool destroyed = false;
    {
        Ticker ticker([&] {
            if (!dialog->IsModal() || destroyed) return;
            destroyed = true;
            SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, 0);  // destroys the main window and its dialog
        });
        dialog->ShowModalOnPage(1);
    }
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(dialog->Handle(), nullptr);
    EXPECT_FALSE(dialog->IsModal());
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program's loop is told to end";
}

TEST_F(OptionsTest, ComingBackToTheDialogReturnsTheFocusToItsControl) {
    Show({{L"D:\\Music"}});
    dialog->SelectPage(0);
    dialog->Show(SW_SHOWNORMAL);
    dialog->BringToForeground();
    dialog->PathListBox.Focus();
    ASSERT_TRUE(dialog->PathListBox.Focused());
    SendMessageW(dialog->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(dialog->Handle());  // where the default handling would leave it
    SendMessageW(dialog->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(dialog->PathListBox.Focused());
    dialog->CancelButton1Click();
}

TEST_F(OptionsTest, TabVisitsThePageControlThePageThenDoneAndCancel) {
    SetItunesPrefs(true);
    Show({{L"D:\\Music"}, false, 20});
    ClickEntry(0);
    const HWND tabs = dialog->PageControl1.Handle();
    const HWND done = dialog->DoneButton1.Handle();
    const HWND cancel = dialog->CancelButton1.Handle();
    dialog->SelectPage(0);
    EXPECT_EQ(TabOrderFrom(tabs), (std::vector<HWND>{tabs, dialog->PathListBox.Handle(), dialog->AddPathBtn.Handle(),
                                                      dialog->RemovePathBtn.Handle(),
                                                      dialog->FoldersRadioBtn.Handle(), done, cancel}));
    // The group is entered at its checked button; the arrow keys go from iTunes to the folders.
    Press(dialog->ItunesRadioBtn);
    EXPECT_EQ(TabOrderFrom(tabs), (std::vector<HWND>{tabs, dialog->ItunesRadioBtn.Handle(), done, cancel}));
    EXPECT_EQ(GetNextDlgGroupItem(dialog->SourcesGroupBox.Handle(), dialog->ItunesRadioBtn.Handle(), FALSE),
              dialog->FoldersRadioBtn.Handle());

    // A stored iTunes source without the preferences file still leaves the group reachable.
    SetItunesPrefs(false);
    Show({{}, true, 20});
    EXPECT_EQ(TabOrderFrom(tabs), (std::vector<HWND>{tabs, dialog->FoldersRadioBtn.Handle(), done, cancel}));

    dialog->SelectPage(1);
    EXPECT_EQ(TabOrderFrom(tabs), (std::vector<HWND>{tabs, dialog->StartupCheckbox.Handle(),
                                                      dialog->LoginCheckbox.Handle(), dialog->BWCheckBox.Handle(),
                                                      dialog->BWEdit.Handle(), done, cancel}));
    // The spin buttons sit between the box and the edit.
    EXPECT_EQ(GetWindow(dialog->BWCheckBox.Handle(), GW_HWNDNEXT), dialog->BWUpDown.Handle());
    EXPECT_EQ(GetWindow(dialog->BWUpDown.Handle(), GW_HWNDNEXT), dialog->BWEdit.Handle());

    for (ui::WindowedControl* control : std::initializer_list<ui::WindowedControl*>{
             &dialog->DoneButton1, &dialog->CancelButton1, &dialog->AddPathBtn, &dialog->RemovePathBtn}) {
        EXPECT_NE(control->Id(), IDOK);
        EXPECT_NE(control->Id(), IDCANCEL);
        EXPECT_NE(GetWindowLongW(control->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    }
}

TEST_F(OptionsTest, ResizingGrowsTheListAndKeepsTheButtonsRightAndBottom) {
    dialog->SelectPage(0);
    RECT client = dialog->ClientRect();
    EXPECT_EQ(client.right, 428);
    EXPECT_EQ(client.bottom, 379);
    const RECT list = dialog->PathListBox.Bounds();
    const RECT add = dialog->AddPathBtn.Bounds();
    const RECT remove = dialog->RemovePathBtn.Bounds();
    const RECT group = GroupBounds();
    const RECT done = dialog->DoneButton1.Bounds();
    const RECT cancel = dialog->CancelButton1.Bounds();
    EXPECT_EQ(list.left, 3);
    EXPECT_EQ(list.right - list.left, 348);
    EXPECT_EQ(done.left, 264);
    EXPECT_EQ(done.top, 350);

    RECT window{};
    GetWindowRect(dialog->Handle(), &window);
    SetWindowPos(dialog->Handle(), nullptr, 0, 0, window.right - window.left + 100, window.bottom - window.top + 50,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    auto moved = [](const RECT& rc, int dx, int dy, int dw, int dh) {
        return RECT{rc.left + dx, rc.top + dy, rc.right + dx + dw, rc.bottom + dy + dh};
    };
    auto same = [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; };
    EXPECT_TRUE(same(dialog->PathListBox.Bounds(), moved(list, 0, 0, 100, 50)));
    EXPECT_TRUE(same(dialog->AddPathBtn.Bounds(), moved(add, 100, 0, 0, 0)));
    EXPECT_TRUE(same(dialog->RemovePathBtn.Bounds(), moved(remove, 100, 0, 0, 0)));
    EXPECT_TRUE(same(GroupBounds(), moved(group, 0, 50, 100, 0)));
    EXPECT_TRUE(same(dialog->DoneButton1.Bounds(), moved(done, 100, 50, 0, 0)));
    EXPECT_TRUE(same(dialog->CancelButton1.Bounds(), moved(cancel, 100, 50, 0, 0)));

    MINMAXINFO limits{};
    SendMessageW(dialog->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 342);
    EXPECT_EQ(limits.ptMinTrackSize.y, 342);
    SetWindowPos(dialog->Handle(), nullptr, 0, 0, 342, 342, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT smallest = dialog->PathListBox.Bounds();
    EXPECT_GE(smallest.right - smallest.left, 100);
    EXPECT_GE(smallest.bottom - smallest.top, 171);
}

TEST_F(OptionsTest, PictureButtonsShowTheirStateAndNameThemselves) {
    auto centre = [](const ui::BitmapButton& button) {
        RECT rc{};
        GetClientRect(button.Handle(), &rc);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        SendMessageW(button.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        const COLORREF colour = GetPixel(memory, rc.right / 2, rc.bottom / 2);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return colour;
    };
    auto grey = [](COLORREF c) {
        return std::abs(GetRValue(c) - GetBValue(c)) < 20 && std::abs(GetGValue(c) - GetBValue(c)) < 20;
    };
    struct Case {
        ui::BitmapButton& button;
        bool blue;  // else red
    } cases[] = {{dialog->AddPathBtn, true}, {dialog->RemovePathBtn, false}};
    for (const Case& c : cases) {
        c.button.SetEnabled(true);
        const COLORREF on = centre(c.button);
        EXPECT_TRUE(c.blue ? GetBValue(on) > GetRValue(on) + 60 : GetRValue(on) > GetBValue(on) + 60) << std::hex << on;
        c.button.SetEnabled(false);
        EXPECT_TRUE(grey(centre(c.button))) << std::hex << centre(c.button);
    }

    // Each button is a tool of a tooltip with its text.
    std::vector<std::wstring> tips;
    for (ui::BitmapButton* button : {&dialog->AddPathBtn, &dialog->RemovePathBtn}) {
        HWND tooltip = nullptr;
        while ((tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr)) != nullptr) {
            wchar_t text[256] = {};
            TOOLINFOW info{};
            info.cbSize = sizeof(info);
            info.hwnd = GetParent(button->Handle());
            info.uId = reinterpret_cast<UINT_PTR>(button->Handle());
            info.lpszText = text;
            SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
            if (text[0]) tips.push_back(text);
        }
    }
    EXPECT_EQ(tips, (std::vector<std::wstring>{L"Add folder with music files to Tonalix",
                                               L"Remove selected folder from Tonalix"}));
}
