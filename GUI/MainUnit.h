// The main window: login and status panels, menus, notification-area icon, the start-up and
// shut-down sequences, engine events and the software update check.
#pragma once

#include "GUI/MessageQueue.h"
#include "components/CoolTrayIcon.h"
#include "components/TextGauge.h"
#include "core/PelkoState.h"
#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/Font.h"
#include "ui/Form.h"
#include "ui/GdiHandles.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Panel.h"
#include "ui/Timer.h"
#include "ui/TrayIcons.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

class TVersionDocument;

// One row of the status presentation: what the status panel and the notification area show.
struct TPelkoStatus {
    ui::Image* statusImage = nullptr;
    HICON trayIcon = nullptr;
    HIMAGELIST trayIconAnim = nullptr;
    std::wstring titleText;
    std::wstring trayTipText;
};

class TPelkoMainForm : public ui::Form {
public:
    TPelkoMainForm();
    ~TPelkoMainForm() override;

    // Creates the native window and runs the start-up sequence. `showWindow` false keeps the
    // window hidden ("/minimized").
    [[nodiscard]] bool Create(bool showWindow);

    void ShowLoginPanel();
    void ShowStatusPanel();
    void ShowMainWindow();
    void LoginButtonClick();
    void LogoutButtonClick();
    void UpdateStatus();
    void UpdateUploadProgress();
    // A shortened form of text ending in "..." that is narrower than maxWidth on the font.
    static std::wstring FitTextToWidth(HFONT font, const std::wstring& text, int maxWidth);
    void SetTrayAnimation(HIMAGELIST list, const std::wstring& hint);
    void SetTrayIcon(HICON icon, const std::wstring& hint);
    void TrayIconDblClick();

    // Software update check (GUI/MainUpdate.cpp).
    void VersionCheckTimerTimer();
    void AnimateTimerTimer();
    void SWUpdateImageClick();
    void TrayIconSWUpdateBalloonHintClick();
    void OpenPage(const wchar_t* path);
    // Opens a web page's address; the shell's "open" unless a test replaces it.
    std::function<void(const std::wstring& address)> PageOpener;

    // Handles whatever waits in the engine queue (the WM_ENGINE_EVENT handler).
    void WMEngineEvent();

    // Fields shared with the other modules.
    bool EnableClose = false;
    bool SoftwareUpdateRequired = false;
    bool SoftwareUpdateAvailable = false;
    std::unique_ptr<TVersionDocument> VersionXML;
    core::TPelkoState pelkoState;
    std::array<ui::PngImage, 4> notificationImages;
    int32_t currentAnimationFrame = 0;
    std::array<TPelkoStatus, core::kStatusCount> pelkoStatuses;
    std::unique_ptr<TMessageQueue> engineMessageQueue;

    // Controls other modules and tests read.
    ui::Panel LoginPanel;
    ui::Panel StatusPanel;
    ui::Image BGImage;
    ui::Image BGImage1;
    ui::Image StatusImageConnecting;
    ui::Image StatusImageUploading;
    ui::Image StatusImageStreaming;
    ui::Image StatusImageIdle;
    ui::Image StatusImageIndexing;
    ui::Image SWUpdateImage;
    TTextGauge UploadsLeftProgress;
    std::unique_ptr<TCoolTrayIcon> TrayIcon;
    ui::Icon TrayIconConnectedImage;
    ui::Icon TrayIconDisconnectedImage;
    ui::ImageList ConnectingTrayIconAnim;
    ui::ImageList StreamingTrayIconAnim;
    ui::ImageList UploadingTrayIconAnim;
    ui::ImageList IndexingTrayIconAnim;
    ui::Label LoginTitleLabel;
    ui::Label LoginMessageLabel;
    ui::Label UsernameLabel;
    ui::Edit UsernameEdit;
    ui::Label NewuserLabel;
    ui::Label PasswordLabel;
    ui::Edit PasswordEdit;
    ui::Label LostPassLabel;
    ui::Button LoginButton;
    ui::Button MusicButton1;
    ui::Label StatusLabel;
    ui::Label StatusDescriptionLabel;
    ui::Label InfoLabel;
    ui::Button LogoutButton;
    ui::Button MusicButton2;
    ui::Timer VersionCheckTimer;
    ui::Timer AnimateTimer;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool CloseQuery() override;
    void OnMenuCommand(UINT id) override;
    void OnActivate(bool active) override;
    void OnHandleDestroyed() override;
    void OnDpiChanged(int previousDpi, const RECT& suggested) override;

private:
    void FormCreate();
    void FormDestroy();
    void CreateLayout();
    // Places, sizes and gives fonts to everything on the window at its scale.
    void LayOut();
    void LoadFlagFrames();
    void CreateLoginPanel();
    void CreateStatusPanel();
    void CreateMenus();
    void CreateTrayIcon();
    void LoadPictures();
    void FillStatusTable();
    // Names, roles, tab stops and backdrops for screen readers, the keyboard and high contrast
    // (GUI/MainAccessibility.cpp).
    void SetUpAccessibility();
    void StartEngine();

    // What the events applied since the last refresh have left to present.
    struct PendingPresentation {
        bool status = false;
        bool uploadProgress = false;
    };
    void ApplyEngineEvent(const TEngineMessage& message, PendingPresentation& pending);
    void Present(PendingPresentation& pending);
    void ShowErrorAndExit(const std::wstring& text);
    void ShowError(const std::wstring& text);
    void ExitProgram();

    void WMActivate(bool active, bool minimized);
    // The control and every window between it and this one are shown.
    bool ShownInWindow(HWND control) const;
    void WMShowRequest();
    void WMCloseRequest();
    void WMQueryEndSession();
    void WMEndSession(bool ending);
    // Makes sure events already waiting get a notice (before a modal box opens).
    void NoticeWaitingEvents();

    // Login panel handlers.
    void EditChange();
    void EditKeyDown(WORD key);
    void LinkLabelHover(ui::Label& label, bool hovered);

    // Exit handling.
    void CloseMenuItemClick();
    void ConfirmExit();

    ui::Font formFont_;
    ui::ScopedMenu mainMenu_;
    bool leaving_ = false;  // the message loop has been told to end
    HWND savedFocus_ = nullptr;                 // the control that gets the focus back on activation
    bool sessionEndQueried_ = false;            // a session end was asked and not yet settled
    bool enableCloseBeforeSessionEnd_ = false;  // what a cancelled session end restores
    int handlingDepth_ = 0;  // messages of this window being handled, one inside another
    ui::ScopedMenu trayMenu_;
};

// The process-wide reference to the main window, set before its creation handler runs.
extern TPelkoMainForm* PelkoMainForm;

// The service's web site, no trailing slash.
extern const wchar_t kServiceWebSite[];
