// What a screen reader finds in the three windows, read through the system's accessibility
// library in this process: names, roles, values, states, locations and default actions, the win
// events that announce changes, and the keyboard's way to the links and the update flag.
#include "AccessibleTree.h"
#include "GUI/AboutUnit.h"
#include "GUI/Application.h"
#include "GUI/OptionsUnit.h"
#include "MainWindowFixture.h"
#include "ui/ComPtr.h"
#include "ui/Oleacc.h"

#include <oleacc.h>

#include <map>
#include <set>

using namespace tests;

namespace {

RECT OnScreen(const ui::GraphicControl& control) {
    RECT r = control.Bounds();
    MapWindowPoints(control.Parent()->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class AccessibilityTest : public MainWindowTest {
protected:
    StoredConfig Stored() const override {
        StoredConfig config;
        config.loginName = "ann@example.com";
        config.loginPassword = "secret";
        return config;
    }
    // The program's window thread is a COM apartment (the entry point makes it one): answering a
    // screen reader needs it.
    void SetUp() override {
        com_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        MainWindowTest::SetUp();
        form->PageOpener = [this](const std::wstring& address) { opened.push_back(address); };
    }
    AccessibleNode Tree(HWND hwnd, int depth = 4) {
        AccessibleNode root;
        EXPECT_TRUE(ReadAccessibleTree(hwnd, root, depth));
        return root;
    }
    // The panel's node in the main window's tree.
    static const AccessibleNode* Panel(const AccessibleNode& main, size_t index) {
        return index < main.children.size() ? &main.children[index] : nullptr;
    }
    // Logged in, two of ten files stored, the third half sent.
    void StoreTracks() {
        Event(5);
        Event(7);
        Event(15, 10, 11);
        for (int i = 0; i < 2; ++i) {
            Event(12, 0, 0, 0, L"C:\\Music\\a.mp3");
            Event(13);
            Event(14, 1);
        }
        Event(12, 0, 0, 0, L"C:\\Music\\b.mp3");
        Event(16, 1200, 700, 1000);
    }
    void ShowFlag() { form->SWUpdateImage.SetVisible(true); }

    void TearDown() override {
        MainWindowTest::TearDown();
        if (SUCCEEDED(com_)) CoUninitialize();
    }

    std::vector<std::wstring> opened;

private:
    HRESULT com_ = E_FAIL;
};

// What the system reports for a standard push button (Wine's object says "client").
std::wstring ButtonRole() {
    static const std::wstring role = [] {
        ui::ComPtr<IAccessible> object;
        const HWND button = CreateWindowExW(0, L"BUTTON", L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                            nullptr, nullptr);
        std::wstring text;
        if (SUCCEEDED(ui::oleacc::ObjectFromWindow(button, OBJID_CLIENT, object.Put())) && object) {
            VARIANT self, role;
            VariantInit(&self);
            VariantInit(&role);
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4)
                text = ui::oleacc::RoleText(static_cast<DWORD>(role.lVal));
        }
        object.Reset();
        DestroyWindow(button);
        return text;
    }();
    return role;
}

TEST_F(AccessibilityTest, TheLibraryIsLoadedByTheFirstQueryNotByTheStart) {
    form->Show(SW_SHOWNA);
    Pump();
    EXPECT_FALSE(ui::oleacc::Loaded()) << "nothing has asked for an accessible object yet";
    AccessibleNode root = Tree(form->Handle());
    EXPECT_TRUE(ui::oleacc::Loaded());
    EXPECT_EQ(root.children.size(), 2u) << "the two panels";
}

TEST_F(AccessibilityTest, LoginPanelNamesEveryElementInLayoutOrder) {
    form->Show(SW_SHOWNA);
    Pump();
    const AccessibleNode root = Tree(form->Handle());
    PrintAccessibleTree("login", root);
    const AccessibleNode* login = Panel(root, 0);
    ASSERT_NE(login, nullptr);
    EXPECT_FALSE(login->Invisible());
    EXPECT_TRUE(Panel(root, 1)->Invisible()) << "the status panel is hidden";

    const std::vector<std::wstring> names = [&] {
        std::vector<std::wstring> visible;
        for (const AccessibleNode& child : login->children)
            if (!child.Invisible()) visible.push_back(child.name);
        return visible;
    }();
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Log in to Tonalix", L"Email", L"Don't have a Tonalix account?",
                                                L"Password", L"Forgot your password?", L"Log in", L"My Music"}));

    const struct {
        const wchar_t* name;
        long role;
    } roles[] = {{L"Log in to Tonalix", ROLE_SYSTEM_STATICTEXT}, {L"Email", ROLE_SYSTEM_TEXT},
                 {L"Password", ROLE_SYSTEM_TEXT},                 {L"Don't have a Tonalix account?", ROLE_SYSTEM_LINK},
                 {L"Forgot your password?", ROLE_SYSTEM_LINK}};
    for (const auto& row : roles) {
        const AccessibleNode* node = login->Find(row.name);
        ASSERT_NE(node, nullptr) << std::string(row.name, row.name + wcslen(row.name));
        EXPECT_EQ(node->role, row.role);
    }
    const AccessibleNode* email = login->Find(L"Email");
    EXPECT_EQ(email->value, L"ann@example.com");
    EXPECT_NE(login->Find(L"Password")->state & STATE_SYSTEM_PROTECTED, 0) << "the password is not read out";

    const AccessibleNode* link = login->Find(L"Forgot your password?");
    EXPECT_EQ(link->defaultAction, L"Jump");
    EXPECT_NE(link->state & STATE_SYSTEM_FOCUSABLE, 0);
    const RECT drawn = OnScreen(form->LostPassLabel);
    EXPECT_TRUE(EqualRect(&link->location, &drawn)) << "where the label is drawn";

    // The message line shares the top line with the title and is hidden until a refusal.
    const auto message = std::find_if(login->children.begin(), login->children.end(),
                                      [](const AccessibleNode& n) { return n.role == ROLE_SYSTEM_STATICTEXT &&
                                                                           n.name.empty(); });
    ASSERT_NE(message, login->children.end());
    EXPECT_TRUE(message->Invisible());
}

TEST_F(AccessibilityTest, ARefusedLoginShowsTheMessageLineInsteadOfTheTitle) {
    form->Show(SW_SHOWNA);
    form->LoginButton.Click();
    Event(5);
    Event(6);
    const AccessibleNode root = Tree(form->Handle());
    const std::vector<std::wstring> visible = VisibleChildren(*Panel(root, 0));
    ASSERT_FALSE(visible.empty());
    EXPECT_EQ(visible.front(), ui::oleacc::RoleText(ROLE_SYSTEM_STATICTEXT) + L": Email and password do not match");
    EXPECT_EQ(root.Find(L"Log in to Tonalix")->Invisible(), true);
}

TEST_F(AccessibilityTest, LinksAndTheFlagOpenTheirPagesAsDefaultAction) {
    form->Show(SW_SHOWNA);
    ShowFlag();
    Pump();
    ui::ComPtr<IAccessible> panel;
    ASSERT_HRESULT_SUCCEEDED(ui::oleacc::ObjectFromWindow(form->LoginPanel.Handle(), OBJID_CLIENT, panel.Put()));
    const AccessibleNode tree = Tree(form->LoginPanel.Handle());
    const wchar_t* links[] = {L"Don't have a Tonalix account?", L"Forgot your password?",
                              L"New software version available for download. Click for details."};
    for (const wchar_t* name : links) {
        for (size_t i = 0; i < tree.children.size(); ++i) {
            if (tree.children[i].name != name) continue;
            EXPECT_EQ(tree.children[i].role, ROLE_SYSTEM_LINK);
            VARIANT child;
            VariantInit(&child);
            child.vt = VT_I4;
            child.lVal = static_cast<long>(i + 1);
            EXPECT_EQ(panel->accDoDefaultAction(child), S_OK);
        }
    }
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"http://www.tonalix.com/newuser",
                                                 L"http://www.tonalix.com/passwordreminder",
                                                 L"http://www.tonalix.com/download"}));
}

TEST_F(AccessibilityTest, StoringShowsTheStatusThePictureAndTheGauge) {
    form->Show(SW_SHOWNA);
    form->LoginButton.Click();
    StoreTracks();
    const AccessibleNode root = Tree(form->Handle());
    PrintAccessibleTree("storing", root);
    const AccessibleNode* status = Panel(root, 1);
    ASSERT_NE(status, nullptr);
    const auto role = [](long r) { return ui::oleacc::RoleText(static_cast<DWORD>(r)) + L": "; };
    EXPECT_EQ(VisibleChildren(*status),
              (std::vector<std::wstring>{role(ROLE_SYSTEM_GRAPHIC) + L"Tonalix (Storing music)",
                                         role(ROLE_SYSTEM_STATICTEXT) + L"Online",
                                         role(ROLE_SYSTEM_STATICTEXT) + L"Your music is now available online (11 tracks)",
                                         role(ROLE_SYSTEM_STATICTEXT) + L"Storing tracks on server:",
                                         role(ROLE_SYSTEM_PROGRESSBAR) + L"",
                                         ButtonRole() + L": Log out",
                                         ButtonRole() + L": My Music"}));
    const auto gauge = std::find_if(status->children.begin(), status->children.end(),
                                    [](const AccessibleNode& n) { return n.role == ROLE_SYSTEM_PROGRESSBAR; });
    ASSERT_NE(gauge, status->children.end());
    EXPECT_EQ(gauge->value, L"Storing track 2.50 of 10");
    EXPECT_EQ(gauge->description, L"25%");
    const RECT drawn = OnScreen(form->UploadsLeftProgress);
    EXPECT_TRUE(EqualRect(&gauge->location, &drawn));
}

TEST_F(AccessibilityTest, IdleShowsOnlineWithoutAGauge) {
    form->Show(SW_SHOWNA);
    form->LoginButton.Click();
    Event(5);
    Event(7);
    Event(15, 0, 12);
    const AccessibleNode root = Tree(form->Handle());
    PrintAccessibleTree("idle", root);
    const auto role = [](long r) { return ui::oleacc::RoleText(static_cast<DWORD>(r)) + L": "; };
    EXPECT_EQ(VisibleChildren(*Panel(root, 1)),
              (std::vector<std::wstring>{role(ROLE_SYSTEM_GRAPHIC) + L"Tonalix (Online)",
                                         role(ROLE_SYSTEM_STATICTEXT) + L"Online",
                                         role(ROLE_SYSTEM_STATICTEXT) + L"Your music is now available online (12 tracks)",
                                         role(ROLE_SYSTEM_STATICTEXT) +
                                             L"Monitoring music collection on this computer for changes.",
                                         ButtonRole() + L": Log out",
                                         ButtonRole() + L": My Music"}));
}

TEST_F(AccessibilityTest, OptionsNamesThePictureButtonsTheSourcePicturesAndTheSpeedBox) {
    TOptionsForm dialog;
    ASSERT_TRUE(dialog.Create(form->Handle()));
    dialog.FormShow();
    dialog.Show(SW_SHOWNA);
    Pump();
    const AccessibleNode root = Tree(dialog.Handle(), 6);
    PrintAccessibleTree("options, My Music", root);
    const struct {
        const wchar_t* name;
        long role;
    } rows[] = {{L"My Music Sources", ROLE_SYSTEM_GROUPING},
                {L"Music folders", ROLE_SYSTEM_GRAPHIC},
                {L"iTunes music library", ROLE_SYSTEM_GRAPHIC},
                {L"KiB/s", ROLE_SYSTEM_TEXT}};
    for (const auto& row : rows) {
        const AccessibleNode* node = root.Find(row.name);
        ASSERT_NE(node, nullptr) << std::string(row.name, row.name + wcslen(row.name));
        EXPECT_EQ(node->role, row.role);
    }
    for (const wchar_t* button : {L"Add folder with music files to Tonalix", L"Remove selected folder from Tonalix"})
        EXPECT_NE(root.Find(button), nullptr) << "a picture button is named by its tooltip";
    EXPECT_FALSE(root.Find(L"Music folders")->Invisible()) << "folders are the stored source";
    EXPECT_TRUE(root.Find(L"iTunes music library")->Invisible());
    EXPECT_EQ(root.Find(L"KiB/s")->value, L"10");

    dialog.PageControl1.SetActivePageIndex(1);
    Pump();
    PrintAccessibleTree("options, Settings", Tree(dialog.Handle(), 6));
}

TEST_F(AccessibilityTest, AboutReadsItsTwoLines) {
    TAboutForm about;
    ASSERT_EQ(about.Create(form->Handle()), TAboutCreateResult::Created);
    about.ShowAbout();
    Pump();
    const AccessibleNode root = Tree(about.Handle());
    PrintAccessibleTree("About", root);
    EXPECT_EQ(root.name, L"About Tonalix");
    const auto text = ui::oleacc::RoleText(ROLE_SYSTEM_STATICTEXT) + L": ";
    ASSERT_EQ(VisibleChildren(root).size(), 2u);
    EXPECT_EQ(VisibleChildren(root)[0], text + L"Tonalix PC Client");
    EXPECT_EQ(VisibleChildren(root)[1].substr(0, text.size() + 8), text + L"version ");
    RECT client{};
    GetClientRect(about.Handle(), &client);
    MapWindowPoints(about.Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (const AccessibleNode& line : root.children) {
        RECT inside{};
        EXPECT_TRUE(IntersectRect(&inside, &line.location, &client) && EqualRect(&inside, &line.location))
            << "each line lies within the picture";
    }
}

// ---- win events -------------------------------------------------------------------------------

struct RecordedEvent {
    DWORD event;
    HWND hwnd;
    LONG child;
};
std::vector<RecordedEvent>* recorded = nullptr;

void CALLBACK Record(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (recorded && object == OBJID_CLIENT) recorded->push_back({event, hwnd, child});
}

class EventHook {
public:
    EventHook(DWORD first, DWORD last) {
        recorded = &events;
        hook_ = SetWinEventHook(first, last, nullptr, &Record, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    ~EventHook() {
        UnhookWinEvent(hook_);
        recorded = nullptr;
    }
    EventHook(const EventHook&) = delete;
    EventHook& operator=(const EventHook&) = delete;
    bool Active() const { return hook_ != nullptr; }
    std::vector<RecordedEvent> events;

private:
    HWINEVENTHOOK hook_;
};

TEST_F(AccessibilityTest, AStatusChangeRaisesOneNameChangePerChangedText) {
    form->Show(SW_SHOWNA);
    form->LoginButton.Click();
    Pump();
    const struct {
        int32_t code, p1, p2;
        std::set<std::wstring> changed;  // the texts now shown by the elements that changed
    } steps[] = {
        {5, 0, 0, {L"Connecting", L"Connecting to Tonalix servers..."}},
        {7, 0, 0, {L"Online", L"Your music is now available online (0 tracks)", L"Storing tracks on server:"}},
        {15, 0, 12, {L"Your music is now available online (12 tracks)",
                     L"Monitoring music collection on this computer for changes."}},
        {15, 0, 12, {}},
    };
    for (const auto& step : steps) {
        EventHook hook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE);
        ASSERT_TRUE(hook.Active());
        Event(step.code, step.p1, step.p2);
        Pump(50);
        const AccessibleNode panel = Tree(form->StatusPanel.Handle());
        std::multiset<std::wstring> changed;
        for (const RecordedEvent& e : hook.events) {
            ASSERT_EQ(e.hwnd, form->StatusPanel.Handle());
            ASSERT_GE(e.child, 1);
            ASSERT_LE(static_cast<size_t>(e.child), panel.children.size());
            changed.insert(panel.children[static_cast<size_t>(e.child - 1)].name);
        }
        EXPECT_EQ(changed, std::multiset<std::wstring>(step.changed.begin(), step.changed.end()))
            << "after event " << step.code;
    }
}

TEST_F(AccessibilityTest, TenThousandProgressEventsRaiseAtMostOneValueChangePerPercent) {
    form->Show(SW_SHOWNA);
    form->LoginButton.Click();
    Event(5);
    Event(7);
    Event(15, 1, 11);
    Event(12, 0, 0, 0, L"C:\\Music\\big.mp3");
    EventHook hook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE);
    ASSERT_TRUE(hook.Active());
    constexpr int32_t kSize = 4 * 1024 * 1024;
    for (int32_t i = 1; i <= 10000; ++i) {
        const int32_t sent = static_cast<int32_t>(static_cast<int64_t>(kSize) * i / 10000);
        Event(16, kSize, sent, kSize);
    }
    Pump(50);
    EXPECT_EQ(form->UploadsLeftProgress.PercentDone(), 100);
    const AccessibleNode panel = Tree(form->StatusPanel.Handle());
    size_t gaugeChanges = 0;
    for (const RecordedEvent& e : hook.events) {
        ASSERT_EQ(e.hwnd, form->StatusPanel.Handle());
        ASSERT_GE(e.child, 1);
        if (panel.children[static_cast<size_t>(e.child - 1)].role == ROLE_SYSTEM_PROGRESSBAR) ++gaugeChanges;
    }
    EXPECT_EQ(gaugeChanges, hook.events.size()) << "only the gauge's value changes";
    EXPECT_LE(gaugeChanges, 101u);
    EXPECT_GE(gaugeChanges, 100u) << "every whole percentage from 1 to 100 is announced";
}

// ---- keyboard ---------------------------------------------------------------------------------

class KeyboardTest : public AccessibilityTest {
protected:
    void SetUp() override {
        AccessibilityTest::SetUp();
        form->Show(SW_SHOW);
        form->BringToForeground();
        Pump(50);
    }
    // A key pressed on the focused window, through the program's own message loop.
    void Press(WPARAM key) {
        const HWND focus = GetFocus();
        PostMessageW(focus ? focus : form->Handle(), WM_KEYDOWN, key, 1);
        PostMessageW(focus ? focus : form->Handle(), WM_KEYUP, key, 0xC0000001);
        ASSERT_TRUE(Application().PumpPending());
    }
    // Which of the keyboard's stops on the login panel has the focus.
    std::wstring Focused() const {
        const HWND focus = GetFocus();
        const struct {
            HWND window;
            const wchar_t* name;
        } windows[] = {{form->UsernameEdit.Handle(), L"Email"},
                       {form->PasswordEdit.Handle(), L"Password"},
                       {form->LoginButton.Handle(), L"Log in"},
                       {form->MusicButton1.Handle(), L"My Music"}};
        for (const auto& w : windows)
            if (focus == w.window) return w.name;
        if (form->NewuserLabel.KeyboardFocused()) return L"new user link";
        if (form->LostPassLabel.KeyboardFocused()) return L"password link";
        if (form->SWUpdateImage.KeyboardFocused()) return L"flag";
        return L"?";
    }
};

TEST_F(KeyboardTest, TabReachesBothLinksAndTheFlagAfterTheButtons) {
    ASSERT_EQ(GetActiveWindow(), form->Handle());
    ShowFlag();
    form->UsernameEdit.Focus();
    std::vector<std::wstring> stops{Focused()};
    for (int i = 0; i < 7; ++i) {
        Press(VK_TAB);
        stops.push_back(Focused());
    }
    EXPECT_EQ(stops, (std::vector<std::wstring>{L"Email", L"Password", L"Log in", L"My Music", L"new user link",
                                                L"password link", L"flag", L"Email"}));
}

TEST_F(KeyboardTest, AHiddenFlagIsNoTabStop) {
    form->LostPassLabel.FocusFromKeyboard();
    Press(VK_TAB);
    EXPECT_EQ(Focused(), L"Email");
}

TEST_F(KeyboardTest, EnterAndSpaceOpenTheFocusedLinksPage) {
    ShowFlag();
    const struct {
        ui::GraphicControl* control;
        WPARAM key;
        const wchar_t* address;
    } cases[] = {{&form->NewuserLabel, VK_RETURN, L"http://www.tonalix.com/newuser"},
                 {&form->LostPassLabel, VK_SPACE, L"http://www.tonalix.com/passwordreminder"},
                 {&form->SWUpdateImage, VK_RETURN, L"http://www.tonalix.com/download"},
                 {&form->SWUpdateImage, VK_SPACE, L"http://www.tonalix.com/download"}};
    for (const auto& c : cases) {
        opened.clear();
        c.control->FocusFromKeyboard();
        ASSERT_TRUE(c.control->KeyboardFocused());
        Press(c.key);
        EXPECT_EQ(opened, std::vector<std::wstring>{c.address});
    }
    opened.clear();
    form->UsernameEdit.Focus();
    Press(VK_SPACE);
    EXPECT_TRUE(opened.empty()) << "keys elsewhere open nothing";
}

TEST_F(KeyboardTest, AFocusedLinkDrawsAFocusRectangleAndTellsScreenReaders) {
    const RECT b = form->NewuserLabel.Bounds();
    const auto render = [&] {
        const ui::ScopedDib dib = ui::CreateDib32(208, 184);
        ui::ScopedMemoryDC dc;
        const ui::ScopedSelect select(dc, dib.bitmap.Get());
        const RECT all{0, 0, 208, 184};
        form->LoginPanel.PaintContent(dc, all);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(dib.bits);
        std::vector<uint32_t> border;
        for (int x = b.left; x < b.right; ++x) border.push_back(pixels[b.top * 208 + x] & 0xFFFFFF);
        return border;
    };
    const std::vector<uint32_t> plain = render();
    EventHook hook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS);
    form->NewuserLabel.FocusFromKeyboard();
    Pump(50);
    EXPECT_NE(render(), plain) << "the rectangle runs along the label's top edge";
    // The system reports the focus on the window that took it; asked about it, that window
    // answers as the link.
    ASSERT_FALSE(hook.events.empty());
    const RecordedEvent& focus = hook.events.back();
    EXPECT_EQ(focus.child, CHILDID_SELF);
    AccessibleNode focused;
    ASSERT_TRUE(ReadAccessibleTree(focus.hwnd, focused));
    EXPECT_EQ(focused.name, L"Don't have a Tonalix account?");
    EXPECT_EQ(focused.role, ROLE_SYSTEM_LINK);
    EXPECT_EQ(focused.defaultAction, L"Jump");
    EXPECT_NE(focused.state & STATE_SYSTEM_FOCUSED, 0);
    const RECT drawn = OnScreen(form->NewuserLabel);
    EXPECT_TRUE(EqualRect(&focused.location, &drawn));
    const AccessibleNode panel = Tree(form->LoginPanel.Handle());
    EXPECT_NE(panel.Find(L"Don't have a Tonalix account?")->state & STATE_SYSTEM_FOCUSED, 0);
    form->UsernameEdit.Focus();
    Pump(50);
    EXPECT_EQ(render(), plain) << "gone with the focus";
}

}  // namespace
