#include "GUI/MainUnit.h"

#include "GUI/AboutUnit.h"
#include "GUI/AnsiText.h"
#include "GUI/EngineBridge.h"
#include "GUI/OptionsUnit.h"
#include "GUI/PelkoConfig.h"
#include "GUI/PelkoDLLAPI.h"
#include "GUI/VersionDocument.h"
#include "GUI/VersionInfo.h"
#include "GUI/WindowMessages.h"
#include "GUI/Application.h"
#include "resources/ResourceIds.h"
#include "ui/Dpi.h"
#include "ui/ScaledPicture.h"

#include <shellapi.h>

#include <cwchar>

TPelkoMainForm* PelkoMainForm = nullptr;
const wchar_t kServiceWebSite[] = L"http://www.tonalix.com";

namespace {

constexpr int kClientWidth = 208;
constexpr int kClientHeight = 184;
constexpr int kUpdateFlagWidth = 27;
constexpr int kUpdateFlagHeight = 21;
constexpr COLORREF kEditFocusColor = RGB(255, 255, 224);
constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr UINT_PTR kVersionCheckTimerId = 1;
constexpr UINT_PTR kAnimateTimerId = 2;
// The longest the window thread applies engine events before it lets other messages through.
constexpr ULONGLONG kEngineEventSliceMs = 50;

ui::FontSpec Tahoma(int height, bool bold = false) {
    ui::FontSpec spec;
    spec.face = L"Tahoma";
    spec.height = height;
    spec.bold = bold;
    return spec;
}

// Runs `work` and hands the message object back on every path.
class MessageReturn {
public:
    MessageReturn(TMessageQueue& queue, TMessageQueue::MessagePtr message)
        : queue_(queue), message_(std::move(message)) {}
    ~MessageReturn() {
        message_->ReleaseText();
        queue_.FreeMessage(std::move(message_));
    }
    MessageReturn(const MessageReturn&) = delete;
    MessageReturn& operator=(const MessageReturn&) = delete;
    const TEngineMessage& Get() const { return *message_; }

private:
    TMessageQueue& queue_;
    TMessageQueue::MessagePtr message_;
};

// Counts the window's messages being handled, one inside another, for as long as it lives.
class HandlingDepth {
public:
    explicit HandlingDepth(int& depth) : depth_(depth) { ++depth_; }
    ~HandlingDepth() { --depth_; }
    HandlingDepth(const HandlingDepth&) = delete;
    HandlingDepth& operator=(const HandlingDepth&) = delete;

private:
    int& depth_;
};

}  // namespace

TPelkoMainForm::TPelkoMainForm()
    : VersionCheckTimer(nullptr, kVersionCheckTimerId),
      AnimateTimer(nullptr, kAnimateTimerId) {}

TPelkoMainForm::~TPelkoMainForm() {
    Destroy();
    if (PelkoMainForm == this) PelkoMainForm = nullptr;
}

bool TPelkoMainForm::Create(bool showWindow) {
    PelkoMainForm = this;
    ui::WindowClass cls;
    cls.name = kMainWindowClass;
    cls.icon = LoadIconW(ui::ModuleInstance(), MAKEINTRESOURCEW(IDI_TONALIX));
    // The class's small icon is for the system's scale.
    cls.smallIcon = static_cast<HICON>(LoadImageW(ui::ModuleInstance(), MAKEINTRESOURCEW(IDI_TONALIX), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                  LR_DEFAULTCOLOR));
    ui::CreateArgs args;
    args.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    args.exStyle = WS_EX_CONTROLPARENT;
    args.title = L"Tonalix";
    args.x = 33;
    args.y = 0;
    args.width = kClientWidth;
    args.height = kClientHeight;
    mainMenu_.Reset(LoadMenuW(ui::ModuleInstance(), MAKEINTRESOURCEW(IDR_MAINMENU)));
    args.menu = mainMenu_.Get();
    // The native window exists before the engine is initialised, so its first events can be posted.
    if (!CreateHandle(cls, args)) return false;
    mainMenu_.Release();  // owned by the window from now on
    AdoptWindowDpi();
    SetClientSize(ui::Scale(kClientWidth, Dpi()), ui::Scale(kClientHeight, Dpi()));
    VersionCheckTimer.SetOwner(Handle());
    AnimateTimer.SetOwner(Handle());
    AddTimer(&VersionCheckTimer);
    AddTimer(&AnimateTimer);
    VersionCheckTimer.SetInterval(300000);  // as designed; start-up arms the first check sooner
    VersionCheckTimer.OnTimer = [this] { VersionCheckTimerTimer(); };
    AnimateTimer.SetInterval(200);
    AnimateTimer.OnTimer = [this] { AnimateTimerTimer(); };
    CreateLayout();
    LoadPictures();
    CreateTrayIcon();
    FormCreate();
    if (showWindow) {
        Show(SW_SHOWNORMAL);
        UpdateWindow(Handle());
    }
    return true;
}

void TPelkoMainForm::CreateLayout() {
    if (!LoginPanel.Create(Handle(), 0, 0, kClientWidth, kClientHeight)) return;
    if (!StatusPanel.Create(Handle(), 0, 0, kClientWidth, kClientHeight)) return;
    // Pictures first, so the labels are drawn over them.
    BGImage.SetParent(&LoginPanel);
    BGImage1.SetParent(&StatusPanel);
    for (ui::Image* image : {&StatusImageConnecting, &StatusImageUploading, &StatusImageStreaming, &StatusImageIdle,
                             &StatusImageIndexing}) {
        image->SetVisible(false);
        image->SetParent(&StatusPanel);
    }
    SWUpdateImage.SetVisible(false);
    SWUpdateImage.SetCursor(IDC_HAND);
    SWUpdateImage.SetHint(L"New software version available for download. Click for details.");
    SWUpdateImage.OnClick = [this] { SWUpdateImageClick(); };
    CreateLoginPanel();
    CreateStatusPanel();
    LayOut();
}

void TPelkoMainForm::LayOut() {
    // Everything on the window, at 96 dpi; placed, sized and given fonts at the window's scale.
    const int dpi = Dpi();
    // Fonts do not grow in exact proportion to the scale: a one-line label whose text has room
    // to its right (fits) takes the width its text needs where that is more than the scaled one.
    struct LabelRow {
        ui::Label& label;
        int left, top, width, height;
        ui::LabelStyle style;
        bool fits = false;
    };
    ui::LabelStyle title{Tahoma(-13, true), CLR_INVALID, ui::TextAlign::Center};
    ui::LabelStyle message{Tahoma(-11, true), RGB(240, 0, 0), ui::TextAlign::Center};
    ui::LabelStyle caption{Tahoma(-11, true)};
    caption.autoSize = true;
    ui::LabelStyle link{Tahoma(-11), kLinkColor};
    ui::LabelStyle status{Tahoma(-27), CLR_INVALID, ui::TextAlign::Center, ui::TextLayout::Bottom};
    status.autoSize = true;
    ui::LabelStyle description{Tahoma(-13, true), CLR_INVALID, ui::TextAlign::Center};
    description.wordWrap = true;
    ui::LabelStyle info{Tahoma(-11)};
    info.wordWrap = true;
    const LabelRow labels[] = {
        {LoginTitleLabel, 0, 6, 206, 16, title},
        {LoginMessageLabel, 0, 8, 206, 18, message},
        {UsernameLabel, 8, 24, 0, 0, caption},
        {NewuserLabel, 8, 64, 153, 13, link, true},
        {PasswordLabel, 8, 80, 0, 0, caption},
        {LostPassLabel, 8, 120, 111, 13, link, true},
        {StatusLabel, 56, 14, 74, 33, status},
        {StatusDescriptionLabel, 0, 52, 208, 42, description},
        {InfoLabel, 8, 100, 192, 42, info},
    };
    struct ControlRow {
        ui::WindowedControl& control;
        int left, top, width, height;
    };
    const ControlRow controls[] = {
        {UsernameEdit, 8, 40, 192, 21},  {PasswordEdit, 8, 96, 192, 21},   {LoginButton, 8, 148, 72, 24},
        {MusicButton1, 128, 148, 72, 24}, {LogoutButton, 8, 148, 72, 24}, {MusicButton2, 128, 148, 72, 24},
    };
    struct PictureRow {
        ui::GraphicControl& control;
        int left, top, width, height;
    };
    const PictureRow pictures[] = {
        {BGImage, 0, 0, kClientWidth, kClientHeight},
        {BGImage1, 0, 0, kClientWidth, kClientHeight},
        {StatusImageConnecting, 8, 4, 44, 44},
        {StatusImageUploading, 8, 4, 44, 44},
        {StatusImageStreaming, 8, 4, 44, 44},
        {StatusImageIdle, 8, 4, 44, 44},
        {StatusImageIndexing, 8, 4, 44, 44},
        {UploadsLeftProgress, 8, 116, 192, 24},
    };

    const RECT client = ui::ScaleRect(0, 0, kClientWidth, kClientHeight, dpi);
    for (ui::Panel* panel : {&LoginPanel, &StatusPanel}) {
        SetWindowPos(panel->Handle(), nullptr, 0, 0, client.right, client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Any control of the tables, placed at the window's scale.
    const auto place = [dpi](auto& control, int left, int top, int width, int height) {
        const RECT r = ui::ScaleRect(left, top, width, height, dpi);
        control.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        return r;
    };
    for (const LabelRow& row : labels) {
        const RECT r = place(row.label, row.left, row.top, row.width, row.height);
        ui::LabelStyle style = row.style;
        style.font = ui::ScaledFont(style.font, dpi);
        style.font.underline = row.label.GetFont().Spec().underline && row.label.GetFont().Handle();
        row.label.SetStyle(style);
        if (row.fits && dpi != ui::kDesignDpi && row.label.TextWidth() > r.right - r.left)
            row.label.SetBounds(r.left, r.top, row.label.TextWidth(), r.bottom - r.top);
    }
    formFont_.Set(ui::ScaledFont(Tahoma(-11), dpi));
    for (const ControlRow& row : controls) {
        place(row.control, row.left, row.top, row.width, row.height);
        row.control.SetFont(formFont_.Handle());
    }
    for (const PictureRow& row : pictures) place(row.control, row.left, row.top, row.width, row.height);
    // The update flag keeps to the client area's top-right corner, whatever the rounding.
    const SIZE flag{ui::Scale(kUpdateFlagWidth, dpi), ui::Scale(kUpdateFlagHeight, dpi)};
    SWUpdateImage.SetBounds(client.right - flag.cx, 0, flag.cx, flag.cy);
    UploadsLeftProgress.SetCaptionFont(ui::ScaledFont(ui::FontSpec{}, dpi));
}

void TPelkoMainForm::CreateLoginPanel() {
    const HWND panel = LoginPanel.Handle();
    const struct {
        ui::Label& label;
        const wchar_t* caption;
    } labels[] = {
        {LoginTitleLabel, L"Log in to Tonalix"},
        {LoginMessageLabel, L""},
        {UsernameLabel, L"Email"},
        {NewuserLabel, L"Don't have a Tonalix account?"},
        {PasswordLabel, L"Password"},
        {LostPassLabel, L"Forgot your password?"},
    };
    for (const auto& row : labels) {
        row.label.SetCaption(row.caption);
        row.label.SetParent(&LoginPanel);
    }
    LoginMessageLabel.SetVisible(false);
    for (ui::Label* label : {&NewuserLabel, &LostPassLabel}) {
        label->SetCursor(IDC_HAND);
        label->OnMouseEnter = [this, label] { LinkLabelHover(*label, true); };
        label->OnMouseLeave = [this, label] { LinkLabelHover(*label, false); };
    }
    NewuserLabel.OnClick = [this] { OpenPage(L"/newuser"); };
    LostPassLabel.OnClick = [this] { OpenPage(L"/passwordreminder"); };

    // Placed by LayOut; created in tab order.
    const bool created = UsernameEdit.Create(panel, {0, 0, 0, 0, L""}) &&
                         PasswordEdit.Create(panel, {0, 0, 0, 0, L""}) &&
                         LoginButton.Create(panel, {0, 0, 0, 0, L"Log in"}) &&
                         MusicButton1.Create(panel, {0, 0, 0, 0, L"My Music"});
    if (!created) return;
    PasswordEdit.SetPasswordChar(L'*');
    for (ui::Edit* edit : {&UsernameEdit, &PasswordEdit}) {
        edit->OnChange = [this] { EditChange(); };
        edit->OnEnter = [edit] { edit->SetColor(kEditFocusColor); };
        edit->OnExit = [edit] { edit->SetColor(CLR_INVALID); };
        edit->OnKeyDown = [this](WORD key) { EditKeyDown(key); };
    }
    LoginButton.OnClick = [this] { LoginButtonClick(); };
    MusicButton1.OnClick = [] {
        if (OptionsForm) OptionsForm->ShowModalOnPage(0);
    };
}

void TPelkoMainForm::CreateStatusPanel() {
    const HWND panel = StatusPanel.Handle();
    for (ui::Label* label : {&StatusLabel, &StatusDescriptionLabel, &InfoLabel}) label->SetParent(&StatusPanel);
    UploadsLeftProgress.SetForeColor(RGB(158, 254, 183));
    UploadsLeftProgress.SetProgress(10);
    UploadsLeftProgress.SetText(L"UploadsLeftProgress");
    UploadsLeftProgress.SetParent(&StatusPanel);

    if (!LogoutButton.Create(panel, {0, 0, 0, 0, L"Log out"}) || !MusicButton2.Create(panel, {0, 0, 0, 0, L"My Music"}))
        return;
    LogoutButton.OnClick = [this] { LogoutButtonClick(); };
    MusicButton2.OnClick = [] {
        if (OptionsForm) OptionsForm->ShowModalOnPage(0);
    };
}

void TPelkoMainForm::OnDpiChanged(int, const RECT& suggested) {
    // The suggested place, at exactly the client size the new scale gives.
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetClientSize(ui::Scale(kClientWidth, Dpi()), ui::Scale(kClientHeight, Dpi()));
    LayOut();
    // The notification area lets go of the old frames before they are replaced.
    if (TrayIcon) TrayIcon->SetIconList(nullptr);
    LoadPictures();
    LoadFlagFrames();
    if (!SWUpdateImage.Picture().Empty()) {
        // The frame on show, at the new scale.
        const uint32_t shown = static_cast<uint32_t>(currentAnimationFrame) + notificationImages.size() - 1;
        SWUpdateImage.SetPicture(notificationImages[shown % notificationImages.size()]);
    }
    FillStatusTable();
    UpdateStatus();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TPelkoMainForm::LoadFlagFrames() {
    for (size_t i = 0; i < notificationImages.size(); ++i) {
        const std::wstring name = L"NOTIFICATION_FRAME" + std::to_wstring(i);
        notificationImages[i] = ui::LoadPicture(ui::ModuleInstance(), name.c_str(), Dpi());
    }
}

void TPelkoMainForm::CreateMenus() {
    // The separator before "Exit Tonalix" is added at start-up.
    const HMENU file = GetSubMenu(GetMenu(Handle()), 0);
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    separator.fType = MFT_SEPARATOR;
    InsertMenuItemW(file, IDM_EXIT, FALSE, &separator);
}

void TPelkoMainForm::FormCreate() {

    UsernameEdit.SetMaxLength(200);
    PasswordEdit.SetMaxLength(40);
    engineMessageQueue = std::make_unique<TMessageQueue>();
    core::ResetState(pelkoState);
    FillStatusTable();
    SetUpAccessibility();
    DLLAPI_initPelko(&EngineCallback);
    SoftwareUpdateRequired = false;
    SoftwareUpdateAvailable = false;
    LoadFlagFrames();
    UpdateStatus();

    const DLLConfig* stored = DLLAPI_getConfig();
    Config = std::make_unique<TPelkoConfig>();
    Config->SetConfig(stored);
    DLLAPI_configFree();

    UsernameEdit.SetText(AnsiToWide(Config->GetUsername()));
    PasswordEdit.SetText(AnsiToWide(Config->GetPassword()));
    EditChange();
    StartEngine();
    CreateMenus();
    DLLAPI_startPelko();
    ShowLoginPanel();

    if (ProgramVersion && ProgramVersion->VerInfoAvailable()) {
        VersionCheckTimer.SetInterval(1000);
        VersionCheckTimer.SetEnabled(true);
    }
    if (Config->GetDirCount() == 0 && !Config->GetItunesEnabled() && !IsIconic(Handle()))
        Application().SetIdleHandler(&FirstRunPrompt);
    if (Config->GetAutoLogin() && !UsernameEdit.Text().empty() && !PasswordEdit.Text().empty()) LoginButtonClick();
}

void TPelkoMainForm::StartEngine() {
    if (Config->GetItunesEnabled()) DLLAPI_enableItunes();
    else DLLAPI_disableItunes();

    for (int i = 0; i < Config->GetDirCount(); ++i) {
        // The engine takes a path of at most 259 characters; a longer one does not fit and goes empty.
        wchar_t buffer[kMaxFolderPath + 1] = {};
        const std::wstring dir = Config->GetDir(i);
        if (dir.size() <= kMaxFolderPath) wmemcpy(buffer, dir.c_str(), dir.size());
        DLLAPI_addRoot(buffer);
    }

    DLLServer server{};
    AnsiToField(Config->GetServerAddress(), server.serverAddress, sizeof server.serverAddress);
    server.serverPort = Config->GetServerPort();
    server.serverHttpsPort = Config->GetServerHttpsPort();
    server.disableSslCAVerify = Config->GetDisableSslCAVerify();
    DLLAPI_setServer(&server);

    DLLUserpass userpass{};
    AnsiToField(Config->GetUsername(), userpass.loginName, sizeof userpass.loginName);
    AnsiToField(Config->GetPassword(), userpass.loginPassword, sizeof userpass.loginPassword);
    DLLAPI_setUserpass(&userpass);

    DLLAPI_setMaxUpload(Config->GetMaxUpload());
}

void TPelkoMainForm::FormDestroy() {
    Config.reset();
    DLLAPI_shutdownPelko();
    for (ui::PngImage& image : notificationImages) image.Clear();
    // The queue outlives the engine: nothing can call back once shutdown has returned.
    engineMessageQueue.reset();
}

void TPelkoMainForm::OnHandleDestroyed() {}

// ---- panels and window -------------------------------------------------------------------

void TPelkoMainForm::ShowLoginPanel() {
    LoginMessageLabel.SetVisible(false);
    LoginTitleLabel.SetVisible(true);
    StatusPanel.Hide();
    LoginPanel.Show(SW_SHOWNA);
    SetText(L"Tonalix");
    // Both panels cover the client area: the update flag travels to the one on show.
    SWUpdateImage.SetParent(&LoginPanel);
    SWUpdateImage.BringToFront();
    // Typing starts with the address. Only the active window takes the focus now; otherwise the
    // next activation gives it, so a log-in refused in the background never steals the foreground.
    savedFocus_ = UsernameEdit.Handle();
    if (GetActiveWindow() == Handle() && IsWindowVisible(Handle())) UsernameEdit.Focus();
}

void TPelkoMainForm::WMActivate(bool active, bool minimized) {
    if (!active) {
        const HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) savedFocus_ = focus;
        return;
    }
    if (minimized) return;
    // Like a dialog box: the focus goes back where it was, or to the address on the login panel.
    if (ShownInWindow(savedFocus_) && IsWindowEnabled(savedFocus_)) {
        SetFocus(savedFocus_);
    } else if (ShownInWindow(UsernameEdit.Handle())) {
        UsernameEdit.Focus();
    }
}

bool TPelkoMainForm::ShownInWindow(HWND control) const {
    // The window itself may be activated before it is marked visible: only the way up to it counts.
    if (!control || !IsChild(Handle(), control)) return false;
    for (HWND window = control; window && window != Handle(); window = GetParent(window)) {
        if (!(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE)) return false;
    }
    return true;
}

void TPelkoMainForm::ShowStatusPanel() {
    LoginPanel.Hide();
    StatusPanel.Show(SW_SHOWNA);
    SetText(L"Tonalix - " + AnsiToWide(Config ? Config->GetUsername() : std::string()));
    SWUpdateImage.SetParent(&StatusPanel);
    SWUpdateImage.BringToFront();
}

void TPelkoMainForm::TrayIconDblClick() { ShowMainWindow(); }

void TPelkoMainForm::ShowMainWindow() {
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    ShowWindow(Handle(), SW_SHOW);
    if (OptionsForm && OptionsForm->Visible()) OptionsForm->BringToForeground();
    else if (AboutForm && AboutForm->Visible()) AboutForm->BringToForeground();
    else BringToForeground();
}

void TPelkoMainForm::OpenPage(const wchar_t* path) {
    const std::wstring address = std::wstring(kServiceWebSite) + path;
    if (PageOpener) {
        PageOpener(address);
        return;
    }
    // A page that cannot be opened is passed over silently.
    ShellExecuteW(Handle(), L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

void TPelkoMainForm::LinkLabelHover(ui::Label& label, bool hovered) { label.SetUnderline(hovered); }

void TPelkoMainForm::EditChange() {
    LoginButton.SetEnabled(!UsernameEdit.Text().empty() && !PasswordEdit.Text().empty());
}

void TPelkoMainForm::EditKeyDown(WORD key) {
    if (key == VK_RETURN && LoginButton.Enabled()) LoginButton.Click();
}

void TPelkoMainForm::LoginButtonClick() {
    if (SoftwareUpdateRequired) {
        const int answer = MessageBoxW(Handle(),
                                       L"You must update your Tonalix software in order to login. Would you like to "
                                       L"download an update now?",
                                       L"Information", MB_YESNO | MB_ICONINFORMATION);
        if (answer == IDYES) OpenPage(L"/download");
        return;
    }
    const std::wstring name = UsernameEdit.Text();
    const std::wstring password = PasswordEdit.Text();
    if (name != AnsiToWide(Config->GetUsername()) || password != AnsiToWide(Config->GetPassword())) {
        Config->SetUsername(WideToAnsi(name));
        Config->SetPassword(WideToAnsi(password));
        (void)Config->SaveConfig();
    }
    DLLAPI_loginPelko();
    ShowStatusPanel();
}

void TPelkoMainForm::LogoutButtonClick() {
    DLLAPI_logoutPelko();
    ShowLoginPanel();
}

// ---- engine events -----------------------------------------------------------------------

void TPelkoMainForm::WMEngineEvent() {
    // Once the message loop has been told to end, a storm must not keep it from seeing that: the
    // notice stays pending, so the engine posts no more, and what still waits goes with the queue.
    if (!engineMessageQueue || leaving_) return;
    engineMessageQueue->BeginDrain();
    // One event at a time, oldest first; a modal box inside drains later ones itself. Each event
    // changes the state at once, but what the events change is presented once for all of them,
    // so a burst costs one refresh rather than one per event.
    PendingPresentation pending;
    const ULONGLONG sliceEnd = GetTickCount64() + kEngineEventSliceMs;
    // Events are applied until the program really leaves, whatever else has been asked: a queue
    // left undrained would freeze the status and grow with every event.
    for (uint32_t applied = 1; engineMessageQueue && !leaving_; ++applied) {
        TMessageQueue::MessagePtr message = engineMessageQueue->Pop();
        if (!message) break;
        {
            MessageReturn held(*engineMessageQueue, std::move(message));
            ApplyEngineEvent(held.Get(), pending);
        }
        // A queue that keeps filling must not starve painting and input: the rest waits for the
        // notice this handler sends itself.
        if (applied % 256 == 0 && GetTickCount64() >= sliceEnd) {
            PostMessageW(Handle(), WM_ENGINE_EVENT, 0, 0);
            break;
        }
    }
    if (!leaving_) Present(pending);
}

void TPelkoMainForm::NoticeWaitingEvents() {
    if (!engineMessageQueue || !engineMessageQueue->ClaimNoticeForWaiting()) return;
    if (!PostMessageW(Handle(), WM_ENGINE_EVENT, 0, 0)) engineMessageQueue->NoticeFailed();
}

void TPelkoMainForm::Present(PendingPresentation& pending) {
    if (pending.uploadProgress) UpdateUploadProgress();
    if (pending.status) UpdateStatus();
    pending = PendingPresentation();
}

void TPelkoMainForm::ApplyEngineEvent(const TEngineMessage& message, PendingPresentation& pending) {
    core::EngineEvent event;
    event.code = message.code;
    event.param1 = message.intParam1;
    event.param2 = message.intParam2;
    event.param3 = message.intParam3;
    event.text = message.Text();
    const core::EventFollowUp followUp = core::ApplyEngineEvent(pelkoState, event);
    switch (followUp) {
    case core::EventFollowUp::Nothing:
        return;
    case core::EventFollowUp::UpdateStatus:
        pending.status = true;
        return;
    case core::EventFollowUp::UpdateUploadProgress:
        pending.uploadProgress = true;
        return;
    default:
        break;
    }
    // What the earlier events changed is shown before a panel switch or a box.
    Present(pending);
    switch (followUp) {
    case core::EventFollowUp::LoginRefused:
        UpdateStatus();
        ShowLoginPanel();
        if (message.Text()) {
            ShowError(*message.Text());
        } else {
            LoginTitleLabel.SetVisible(false);
            LoginMessageLabel.SetCaption(L"Email and password do not match");
            LoginMessageLabel.SetVisible(true);
        }
        break;
    case core::EventFollowUp::InitFailed:
        ShowErrorAndExit(L"Initialization failed, program will now shutdown.");
        break;
    case core::EventFollowUp::FatalError:
        ShowErrorAndExit(L"Tonalix encountered a fatal error, it will now shutdown.");
        break;
    case core::EventFollowUp::UnexpectedStatus:
        ShowErrorAndExit(L"Unexpexted status (" + std::to_wstring(message.code) +
                         L") reported from DLL, program will now shutdown.");
        break;
    default:
        break;
    }
}

void TPelkoMainForm::ShowError(const std::wstring& text) {
    // Events already waiting behind this one are applied inside the box, not after it.
    NoticeWaitingEvents();
    MessageBoxW(Handle(), text.c_str(), L"Error", MB_OK | MB_ICONERROR);
}

void TPelkoMainForm::ShowErrorAndExit(const std::wstring& text) {
    ShowError(text);
    ExitProgram();
}

void TPelkoMainForm::ExitProgram() {
    sessionEndQueried_ = false;  // a later cancel of the session end must not undo this exit
    EnableClose = true;
    Close();
}


// ---- exit handling -----------------------------------------------------------------------

bool TPelkoMainForm::CloseQuery() {
    if (EnableClose) return true;
    Hide();
    return false;
}

void TPelkoMainForm::CloseMenuItemClick() { Close(); }

void TPelkoMainForm::ConfirmExit() {
    std::wstring text = L"Would you like to quit Tonalix?";
    UINT icon = 0;
    if (pelkoState.filesLeftToUpload >= 1) {
        text = L"There are " + std::to_wstring(pelkoState.filesLeftToUpload) +
               L" files left to be uploaded.\r\n"
               L"If you exit now you won't be able to listen to them from Tonalix.\r\n"
               L"Are you sure you want to exit the program?";
        icon = MB_ICONWARNING;
    } else if (pelkoState.connectionState != core::TPelkoConnectionState::LoggedOut && Config &&
               Config->GetDirCount() > 0) {
        text = L"Tonalix is monitoring your music folders.\r\n"
               L"New music won't be added to your Tonalix account until you restart the program.\r\n"
               L"Are you sure you want to exit the program?";
        icon = MB_ICONINFORMATION;
    }
    if (MessageBoxW(Handle(), text.c_str(), L"Exit Tonalix?", MB_YESNO | icon) == IDYES) ExitProgram();
}

void TPelkoMainForm::WMShowRequest() { ShowMainWindow(); }

void TPelkoMainForm::WMCloseRequest() { ExitProgram(); }

void TPelkoMainForm::WMQueryEndSession() {
    if (!sessionEndQueried_) enableCloseBeforeSessionEnd_ = EnableClose;
    sessionEndQueried_ = true;
    EnableClose = true;
}

void TPelkoMainForm::WMEndSession(bool ending) {
    if (ending) {
        // The session ends when this returns: leave through the normal shut-down now. Unless the
        // end reached this window inside another of its handlers (a call to the shell lets it in):
        // that handler still uses what the shut-down frees, so the message loop, which ends as
        // soon as it returns, destroys the windows.
        ExitProgram();
        if (handlingDepth_ == 1) DestroyWindow(Handle());
        return;
    }
    // Another program or the user cancelled: the close box hides the window again.
    if (sessionEndQueried_) EnableClose = enableCloseBeforeSessionEnd_;
    sessionEndQueried_ = false;
}

void TPelkoMainForm::OnMenuCommand(UINT id) {
    switch (id) {
    case IDM_OPTIONS:
        if (OptionsForm) OptionsForm->ShowModalOnPage(1);
        break;
    case IDM_CLOSE:
        CloseMenuItemClick();
        break;
    case IDM_EXIT:
    case IDM_QUIT:
        ConfirmExit();
        break;
    case IDM_HELP:
        OpenPage(L"/support");
        break;
    case IDM_ABOUT:
        if (AboutForm) AboutForm->ShowAbout();
        break;
    case IDM_OPEN:
        ShowMainWindow();
        break;
    case IDM_WEBSITE:
        OpenPage(L"");
        break;
    default:
        break;
    }
}

void TPelkoMainForm::OnActivate(bool active) {
    if (active && AboutForm) AboutForm->HideOnOwnerActivate();
}

LRESULT TPelkoMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HandlingDepth depth(handlingDepth_);
    switch (message) {
    case WM_ENGINE_EVENT:
        WMEngineEvent();
        return 0;
    case WM_SHOW_REQUEST:
        WMShowRequest();
        return 0;
    case WM_CLOSE_REQUEST:
        WMCloseRequest();
        return 0;
    case WM_QUERYENDSESSION:
        WMQueryEndSession();
        break;
    case WM_ENDSESSION:
        WMEndSession(wParam != FALSE);
        return 0;
    case WM_CLOSE:
        // The main window's close ends the message loop; the windows are destroyed afterwards.
        if (CloseQuery()) {
            Hide();
            leaving_ = true;
            PostQuitMessage(0);
        }
        return 0;
    case WM_ACTIVATE: {
        // The default handling gives the focus to the window itself; the control takes it after.
        const LRESULT result = ui::Form::HandleMessage(message, wParam, lParam);
        WMActivate(LOWORD(wParam) != WA_INACTIVE, HIWORD(wParam) != 0);
        return result;
    }
    case WM_DESTROY:
        FormDestroy();
        // The notification-area icon goes with the window it belongs to.
        TrayIcon.reset();
        break;
    default:
        break;
    }
    return ui::Form::HandleMessage(message, wParam, lParam);
}
