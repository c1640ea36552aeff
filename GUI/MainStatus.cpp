// The main window's pictures, notification-area icon and the status presentation.
#include "GUI/MainUnit.h"

#include "core/FitText.h"
#include "core/UploadProgress.h"
#include "resources/ResourceIds.h"
#include "ui/Dpi.h"
#include "ui/ScaledPicture.h"

namespace {

using core::TPelkoStatusState;

wchar_t DecimalSeparator() {
    wchar_t separator[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 0 && separator[0]) return separator[0];
    return L'.';
}

ui::PngImage Picture(const wchar_t* name, int dpi) { return ui::LoadPicture(ui::ModuleInstance(), name, dpi); }

}  // namespace

void TPelkoMainForm::LoadPictures() {
    const int dpi = Dpi();
    const ui::PngImage background = Picture(L"BACKGROUND", dpi);
    BGImage.SetPicture(background);
    BGImage1.SetPicture(background);
    const struct {
        ui::Image& image;
        const wchar_t* resource;
    } statusImages[] = {
        {StatusImageConnecting, L"STATUS_CONNECTING"}, {StatusImageUploading, L"STATUS_UPLOADING"},
        {StatusImageStreaming, L"STATUS_STREAMING"},   {StatusImageIdle, L"STATUS_IDLE"},
        {StatusImageIndexing, L"STATUS_INDEXING"},
    };
    for (const auto& row : statusImages) {
        row.image.SetPicture(Picture(row.resource, dpi));
    }
    // The notification area's icons at the shell's small-icon size for the window's scale; the
    // pictures are drawn for 16, 20, 24 and 32 pixels, the scales of 100 to 200 %.
    const int iconSize = ui::SmallIconSize(dpi);
    const int iconDpi = MulDiv(iconSize, ui::kDesignDpi, ui::ImageList::kFrameSize);
    TrayIconConnectedImage = ui::Icon::FromPng(Picture(L"TRAY_CONNECTED", iconDpi));
    TrayIconDisconnectedImage = ui::Icon::FromPng(Picture(L"TRAY_DISCONNECTED", iconDpi));
    (void)ConnectingTrayIconAnim.LoadStrip(Picture(L"ANIM_CONNECTING", iconDpi), iconSize);
    (void)StreamingTrayIconAnim.LoadStrip(Picture(L"ANIM_STREAMING", iconDpi), iconSize);
    (void)UploadingTrayIconAnim.LoadStrip(Picture(L"ANIM_UPLOADING", iconDpi), iconSize);
    (void)IndexingTrayIconAnim.LoadStrip(Picture(L"ANIM_INDEXING", iconDpi), iconSize);
}

void TPelkoMainForm::CreateTrayIcon() {
    trayMenu_.Reset(LoadMenuW(ui::ModuleInstance(), MAKEINTRESOURCEW(IDR_TRAYMENU)));
    TrayIcon = std::make_unique<TCoolTrayIcon>(Handle());
    TrayIcon->SetCycleInterval(300);
    TrayIcon->SetHint(L"Tonalix");
    TrayIcon->SetIcon(TrayIconDisconnectedImage.Handle());
    TrayIcon->SetIconVisible(true);
    TrayIcon->SetIconIndex(0);
    TrayIcon->SetPopupMenu(GetSubMenu(trayMenu_.Get(), 0));
    TrayIcon->SetLeftPopup(true);
    TrayIcon->OnDblClick = [this] { TrayIconDblClick(); };
}

void TPelkoMainForm::FillStatusTable() {
    auto row = [this](TPelkoStatusState state) -> TPelkoStatus& { return pelkoStatuses[static_cast<size_t>(state)]; };
    row(TPelkoStatusState::Disconnected) = {nullptr, TrayIconDisconnectedImage.Handle(), nullptr, L"",
                                            L"Tonalix (Logged out)"};
    row(TPelkoStatusState::Connecting) = {&StatusImageConnecting, nullptr, ConnectingTrayIconAnim.Handle(),
                                          L"Connecting", L"Tonalix (Connecting)"};
    row(TPelkoStatusState::Uploading) = {&StatusImageUploading, nullptr, UploadingTrayIconAnim.Handle(), L"Online",
                                         L"Tonalix (Storing music)"};
    row(TPelkoStatusState::WaitingForUpload) = {&StatusImageUploading, nullptr, UploadingTrayIconAnim.Handle(),
                                                L"Online", L"Tonalix (Storing music)"};
    row(TPelkoStatusState::Streaming) = {&StatusImageStreaming, nullptr, StreamingTrayIconAnim.Handle(), L"Streaming",
                                         L"Tonalix (Streaming)"};
    row(TPelkoStatusState::Idle) = {&StatusImageIdle, TrayIconConnectedImage.Handle(), nullptr, L"Online",
                                    L"Tonalix (Online)"};
    row(TPelkoStatusState::Indexing) = {&StatusImageIndexing, nullptr, IndexingTrayIconAnim.Handle(), L"Indexing",
                                        L"Tonalix (Indexing)"};
}

void TPelkoMainForm::UpdateStatus() {
    const TPelkoStatusState status = core::DeriveStatus(pelkoState);
    const size_t s = static_cast<size_t>(status);
    const TPelkoStatus& row = pelkoStatuses[s];
    StatusLabel.SetCaption(row.titleText);

    switch (status) {
    case TPelkoStatusState::Disconnected:
        StatusDescriptionLabel.SetCaption(L"");
        break;
    case TPelkoStatusState::Connecting:
        StatusDescriptionLabel.SetCaption(L"Connecting to Tonalix servers...");
        break;
    default:
        StatusDescriptionLabel.SetCaption(L"Your music is now available online (" +
                                          std::to_wstring(static_cast<uint32_t>(pelkoState.totalTracksOnline)) +
                                          L" tracks)");
        break;
    }

    switch (status) {
    case TPelkoStatusState::Uploading:
    case TPelkoStatusState::WaitingForUpload:
        InfoLabel.SetCaption(L"Storing tracks on server:");
        break;
    case TPelkoStatusState::Streaming:
        // Measured with the description's font and width, though shown in the activity line.
        InfoLabel.SetCaption(L"Streaming file \"" +
                             FitTextToWidth(StatusDescriptionLabel.FontHandle(), pelkoState.streamingFile,
                                            StatusDescriptionLabel.Width()) +
                             L"\" from this computer.");
        break;
    case TPelkoStatusState::Idle:
        InfoLabel.SetCaption(L"Monitoring music collection on this computer for changes.");
        break;
    case TPelkoStatusState::Indexing:
        InfoLabel.SetCaption(L"Scanning for new music and updating server...");
        break;
    default:
        InfoLabel.SetCaption(L"");
        break;
    }

    // Hide first, so an image shared by two statuses stays visible.
    for (size_t i = 0; i < pelkoStatuses.size(); ++i) {
        if (pelkoStatuses[i].statusImage && i != s) pelkoStatuses[i].statusImage->SetVisible(false);
    }
    if (row.statusImage) row.statusImage->SetVisible(true);

    if (row.trayIconAnim) SetTrayAnimation(row.trayIconAnim, row.trayTipText);
    else SetTrayIcon(row.trayIcon, row.trayTipText);

    if (pelkoState.filesLeftToUpload >= 0 &&
        (status == TPelkoStatusState::Uploading || status == TPelkoStatusState::WaitingForUpload)) {
        UpdateUploadProgress();
        UploadsLeftProgress.SetVisible(true);
    } else {
        UploadsLeftProgress.SetVisible(false);
    }
}

void TPelkoMainForm::UpdateUploadProgress() {
    const core::UploadProgress progress = core::ComputeUploadProgress(pelkoState, DecimalSeparator());
    // One repaint when both the caption and the bar move.
    UploadsLeftProgress.SetTextAndProgress(progress.text, progress.progress);
}

std::wstring TPelkoMainForm::FitTextToWidth(HFONT font, const std::wstring& text, int maxWidth) {
    ui::ScopedWindowDC screen(nullptr);
    ui::ScopedSelect select(screen, font);
    return core::FitTextToWidth(text, maxWidth, [&screen](const std::wstring& candidate) {
        SIZE size{};
        GetTextExtentPoint32W(screen, candidate.c_str(), static_cast<int>(candidate.size()), &size);
        return static_cast<int>(size.cx);
    });
}

void TPelkoMainForm::SetTrayAnimation(HIMAGELIST list, const std::wstring& hint) {
    if (!TrayIcon) return;
    TrayIcon->SetIconList(list);
    TrayIcon->SetCycleIcons(true);
    TrayIcon->SetHint(hint);
}

void TPelkoMainForm::SetTrayIcon(HICON icon, const std::wstring& hint) {
    if (!TrayIcon) return;
    TrayIcon->SetCycleIcons(false);
    TrayIcon->SetIcon(icon);
    TrayIcon->SetHint(hint);
}
