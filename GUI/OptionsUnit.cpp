#include "GUI/OptionsUnit.h"

#include "GUI/OptionsFolderBrowser.h"
#include "GUI/PelkoConfig.h"
#include "core/FolderRules.h"

std::unique_ptr<TOptionsForm> OptionsForm;
std::wstring LastFolder;

namespace {

const wchar_t kMaximumReached[] =
    L"Maximum number of music folders reached. You may reduce the number of music folders by selecting a parent "
    L"folder.";
const wchar_t kInvalidFolder[] = L"Invalid folder selected";
const wchar_t kItunesPrefsFile[] = L"\\Apple Computer\\iTunes\\iTunesPrefs.xml";

std::wstring AlreadyIncludedMessage(const std::wstring& path, const std::wstring& folder) {
    return L"The folder \"" + path + L"\" is already included under the folder \"" + folder +
           L"\", it will not be added.";
}

std::wstring EnvironmentVariable(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

void SetTabStop(HWND window, bool tabStop) {
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    SetWindowLongW(window, GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

}  // namespace

bool LocaleEqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool ItunesPrefsExist() {
    const std::wstring path = EnvironmentVariable(L"APPDATA") + kItunesPrefsFile;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

TOptionsForm::TOptionsForm() {
    FolderPicker = &BrowseForMusicFolder;
    ShowErrorBox = [this](const std::wstring& text) {
        MessageBoxW(Handle(), text.c_str(), L"Error", MB_OK | MB_ICONERROR);
    };
}

TOptionsForm::~TOptionsForm() {
    if (modal_ && mainWindow_) EnableWindow(mainWindow_, TRUE);
}

// ---- modal show ------------------------------------------------------------------------------

void TOptionsForm::ShowModalOnPage(int pageIndex) {
    if (!Handle()) return;
    if (modal_) {
        // Already open further down the stack (the tray menu can ask again): just bring it up.
        BringToForeground();
        return;
    }
    SelectPage(pageIndex);
    FormShow();
    CenterOnScreen();
    modal_ = true;
    if (mainWindow_) EnableWindow(mainWindow_, FALSE);
    Show(SW_SHOWNORMAL);
    BringToForeground();
    PageControl1.Focus();
    savedFocus_ = PageControl1.Handle();
    try {
        RunModalLoop();
    } catch (...) {
        CloseDialog();  // never leave the main window disabled
        throw;
    }
}

void TOptionsForm::RunModalLoop() {
    MSG msg;
    while (modal_ && Handle()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The program is ending: close without applying and let the outer loop see the quit.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        const HWND active = GetActiveWindow();
        if (active && IsDialogMessageW(active, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseDialog();
}

void TOptionsForm::CloseDialog() {
    // The owner comes back first, so that activation returns to it when the dialog hides.
    if (modal_ && mainWindow_) EnableWindow(mainWindow_, TRUE);
    modal_ = false;
    if (Handle()) Hide();
}

bool TOptionsForm::CloseQuery() {
    CancelButton1Click();
    return false;
}

void TOptionsForm::OnHandleDestroyed() {
    // Destroyed with its owner at the end of the session: leave the modal loop.
    if (modal_ && mainWindow_) EnableWindow(mainWindow_, TRUE);
    modal_ = false;
}

void TOptionsForm::CenterOnScreen() {
    RECT rc{};
    GetWindowRect(Handle(), &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- loading the controls --------------------------------------------------------------------

void TOptionsForm::SelectPage(int pageIndex) { PageControl1.SetActivePageIndex(pageIndex); }

void TOptionsForm::FormShow() {
    if (!Config) return;
    PathListBox.Clear();
    for (int i = 0; i < Config->GetDirCount(); ++i) PathListBox.Add(Config->GetDir(i));
    PathListBox.SetItemIndex(-1);
    RemovePathBtn.SetEnabled(false);

    ItunesRadioBtn.SetEnabled(ItunesPrefsExist());
    const bool itunes = Config->GetItunesEnabled();
    ItunesRadioBtn.SetChecked(itunes);
    FoldersRadioBtn.SetChecked(!itunes);
    ItunesImage.SetVisible(itunes);
    FolderImage.SetVisible(!itunes);
    PathListBox.SetEnabled(!itunes);
    AddPathBtn.SetEnabled(!itunes);
    UpdateSourceTabStop();

    StartupCheckbox.SetChecked(Config->GetAutoRun());
    LoginCheckbox.SetChecked(Config->GetAutoLogin());

    const int32_t limit = Config->GetMaxUpload();
    if (limit == -1) {
        BWCheckBox.SetChecked(false);
    } else {
        BWUpDown.SetPosition(limit);
        BWCheckBox.SetChecked(true);
    }
    BWCheckBoxClick();
    BWEdit.SetText(std::to_wstring(BWUpDown.Position()));
}

// ---- handlers --------------------------------------------------------------------------------

void TOptionsForm::ItunesRadioBtnClick() {
    FoldersRadioBtn.SetChecked(!ItunesRadioBtn.Checked());
    SourceUpdated();
}

void TOptionsForm::FoldersRadioBtnClick() {
    ItunesRadioBtn.SetChecked(!FoldersRadioBtn.Checked());
    SourceUpdated();
}

void TOptionsForm::SourceUpdated() {
    // Choosing iTunes only disables the list: its entries stay for Done to apply.
    const bool folders = FoldersRadioBtn.Checked();
    FolderImage.SetVisible(folders);
    ItunesImage.SetVisible(ItunesRadioBtn.Checked());
    PathListBox.SetEnabled(folders);
    AddPathBtn.SetEnabled(folders);
    RemovePathBtn.SetEnabled(folders && PathListBox.ItemIndex() >= 0);
    UpdateSourceTabStop();
}

void TOptionsForm::UpdateSourceTabStop() {
    // Tab enters the group at the checked button, as a click would leave it; a checked iTunes
    // button that is disabled hands the stop to the folders button, so the group stays reachable.
    const bool itunes = ItunesRadioBtn.Checked() && ItunesRadioBtn.Enabled();
    SetTabStop(ItunesRadioBtn.Handle(), itunes);
    SetTabStop(FoldersRadioBtn.Handle(), !itunes);
}

void TOptionsForm::BWCheckBoxClick() {
    const bool limited = BWCheckBox.Checked();
    BWEdit.SetEnabled(limited);
    BWUpDown.SetEnabled(limited);
}

void TOptionsForm::PathListBoxClick() {
    if (PathListBox.ItemIndex() >= 0) RemovePathBtn.SetEnabled(true);
}

void TOptionsForm::RemovePathBtnClick() {
    const int selected = PathListBox.ItemIndex();
    if (selected >= 0) PathListBox.Delete(selected);
    RemovePathBtn.SetEnabled(false);
}

void TOptionsForm::AddPathBtnClick() {
    if (PathListBox.Count() >= static_cast<int>(core::kMaxMusicFolders)) {
        ShowErrorBox(kMaximumReached);
        return;
    }
    if (!FolderPicker) return;
    const std::optional<std::wstring> chosen = FolderPicker(Handle(), LastFolder);
    if (!chosen) return;
    const std::wstring& path = *chosen;

    const std::vector<std::wstring> folders = PathListBox.Items();
    const core::FolderAddPlan plan = core::PlanFolderAddition(folders, path, &LocaleEqualIgnoringCase);
    switch (plan.outcome) {
    case core::FolderAddOutcome::InvalidPath:
        ShowErrorBox(kInvalidFolder);
        return;
    case core::FolderAddOutcome::AlreadyListed:
        return;
    case core::FolderAddOutcome::InsideListed:
        ShowErrorBox(AlreadyIncludedMessage(path, folders[plan.coveringIndex]));
        return;
    case core::FolderAddOutcome::Added:
        break;
    }
    LastFolder = path;
    for (auto it = plan.replaced.rbegin(); it != plan.replaced.rend(); ++it) PathListBox.Delete(static_cast<int>(*it));
    PathListBox.Add(path);
    // A replaced entry may have been the selected one.
    if (PathListBox.ItemIndex() < 0) RemovePathBtn.SetEnabled(false);
}

void TOptionsForm::DoneButton1Click() {
    if (Config) {
        const std::vector<std::wstring> folders = PathListBox.Items();
        // Folders dropped from the list leave the store first; the engine hears of each at once.
        for (int i = 0; i < Config->GetDirCount();) {
            if (core::IndexOfFolder(folders, Config->GetDir(i)) < 0) Config->DelDir(i);
            else ++i;
        }
        if (ItunesRadioBtn.Checked() != Config->GetItunesEnabled()) Config->SetItunesEnabled(ItunesRadioBtn.Checked());
        for (const std::wstring& folder : folders) {
            if (Config->GetDirIndex(folder) < 0) Config->AddDir(folder);
        }
        Config->SetRunOnStartup(StartupCheckbox.Checked());
        Config->SetLoginOnRun(LoginCheckbox.Checked());
        Config->SetMaxUpload(BWCheckBox.Checked() ? BWUpDown.Position() : -1);
        (void)Config->SaveConfig();
    }
    CloseDialog();
}

void TOptionsForm::CancelButton1Click() { CloseDialog(); }

// ---- first start -----------------------------------------------------------------------------

void FirstRunPrompt() {
    // The message loop has already removed this idle handler: the prompt comes once per start.
    if (!OptionsForm || !OptionsForm->Handle()) return;
    const int answer = MessageBoxW(OptionsForm->MainWindow(),
                                   L"Welcome to Tonalix. Tonalix does not know where your music is. Would you like "
                                   L"to configure your music folders now?",
                                   L"Add music to Tonalix", MB_YESNO | MB_ICONINFORMATION);
    if (answer == IDYES) OptionsForm->ShowModalOnPage(0);
}
