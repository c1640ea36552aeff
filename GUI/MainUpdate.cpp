// The main window's side of the software update check: its timers, the flag and the balloon.
#include "GUI/MainUnit.h"

#include "GUI/PelkoConfig.h"
#include "GUI/UpdateCheck.h"
#include "GUI/VersionDocument.h"
#include "GUI/VersionInfo.h"

namespace {

class MainFormUpdateHost final : public TUpdateCheckHost {
public:
    explicit MainFormUpdateHost(TPelkoMainForm& form) : form_(form) {}

    std::unique_ptr<TVersionDocument>& VersionXML() override { return form_.VersionXML; }
    bool& SoftwareUpdateRequired() override { return form_.SoftwareUpdateRequired; }
    bool& SoftwareUpdateAvailable() override { return form_.SoftwareUpdateAvailable; }
    ui::Timer& VersionCheckTimer() override { return form_.VersionCheckTimer; }

    core::VersionNumber OwnVersion() const override {
        if (!ProgramVersion) return core::VersionNumber{};
        return {ProgramVersion->GetMajor(), ProgramVersion->GetMinor(), ProgramVersion->GetRevision()};
    }

    std::wstring RequestAddress() const override {
        // Without a configuration there is no server to ask; the empty address fails to start.
        if (!Config) return std::wstring();
        return VersionRequestAddress(Config->GetServerAddress(), Config->GetServerPort(), OwnVersion());
    }

    std::unique_ptr<TVersionDocument> CreateDocument() override { return CreateVersionDocument(); }

    void ShowBalloon(const TUpdateBalloon& balloon) override {
        if (!form_.TrayIcon) return;
        const TBalloonHintIcon icon = balloon.warning ? TBalloonHintIcon::bitWarning : TBalloonHintIcon::bitInfo;
        // A balloon the shell refuses is not reported.
        (void)form_.TrayIcon->ShowBalloonHint(balloon.title, balloon.text, icon,
                                              static_cast<TBalloonHintTimeOut>(balloon.timeoutSeconds));
        TPelkoMainForm& form = form_;
        form_.TrayIcon->OnBalloonHintClick = [&form] { form.TrayIconSWUpdateBalloonHintClick(); };
    }

    void LogOut() override { form_.LogoutButtonClick(); }

    void ShowUpdateFlag() override {
        form_.SWUpdateImage.SetVisible(true);
        form_.AnimateTimer.SetEnabled(true);
    }

private:
    TPelkoMainForm& form_;
};

}  // namespace

void TPelkoMainForm::VersionCheckTimerTimer() {
    MainFormUpdateHost host(*this);
    VersionCheckStep(host);
}

void TPelkoMainForm::AnimateTimerTimer() {
    // The count wraps instead of overflowing; the frame index stays within 0..3 either way.
    const uint32_t tick = static_cast<uint32_t>(currentAnimationFrame);
    SWUpdateImage.SetPicture(notificationImages[tick % notificationImages.size()]);
    currentAnimationFrame = static_cast<int32_t>(tick + 1u);
}

void TPelkoMainForm::SWUpdateImageClick() { OpenPage(L"/download"); }

void TPelkoMainForm::TrayIconSWUpdateBalloonHintClick() { OpenPage(L"/download"); }
