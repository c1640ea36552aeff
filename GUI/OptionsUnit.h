// The options dialog: music folders or iTunes, upload limit, start at logon, automatic log-in.
#pragma once

#include "ui/BitmapButton.h"
#include "ui/Button.h"
#include "ui/Edit.h"
#include "ui/Font.h"
#include "ui/Form.h"
#include "ui/GroupBox.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/ListBox.h"
#include "ui/PageControl.h"
#include "ui/UpDown.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TOptionsForm : public ui::Form {
public:
    TOptionsForm();
    ~TOptionsForm() override;

    // Creates the dialog hidden, owned by the main window.
    [[nodiscard]] bool Create(HWND mainWindow);
    // Selects the page (0 "My Music", 1 "Settings") and shows the dialog modally: the main window
    // is disabled until Done, Cancel or the close box ends it. Reloads every control from Config.
    void ShowModalOnPage(int pageIndex);
    bool IsModal() const { return modal_; }
    HWND MainWindow() const { return mainWindow_; }

    // The dialog's steps; the modal show runs them from its controls, tests call them directly.
    void SelectPage(int pageIndex);
    void FormShow();
    void ItunesRadioBtnClick();
    void FoldersRadioBtnClick();
    void SourceUpdated();
    void BWCheckBoxClick();
    void PathListBoxClick();
    void RemovePathBtnClick();
    void AddPathBtnClick();
    void DoneButton1Click();
    void CancelButton1Click();

    // Asks the user for a folder, starting at `startFolder`; nullopt when cancelled. Defaults to
    // the system's folder browser.
    std::function<std::optional<std::wstring>(HWND owner, const std::wstring& startFolder)> FolderPicker;
    // Shows one of the add step's error messages. Defaults to a modal error box.
    std::function<void(const std::wstring& text)> ShowErrorBox;

    // Fonts first: the controls below use them, and controls come before what they hold, so
    // everything is destroyed inside out.
    ui::Font formFont;
    ui::Font boldFont;

    ui::PageControl PageControl1;
    ui::Panel* FoldersTab = nullptr;
    ui::Panel* OptionsTab = nullptr;
    ui::ListBox PathListBox;
    ui::BitmapButton AddPathBtn;
    ui::BitmapButton RemovePathBtn;
    ui::GroupBox SourcesGroupBox;
    ui::Image FolderImage;
    ui::Image ItunesImage;
    ui::RadioButton ItunesRadioBtn;
    ui::RadioButton FoldersRadioBtn;
    ui::CheckBox StartupCheckbox;
    ui::CheckBox LoginCheckbox;
    ui::CheckBox BWCheckBox;
    ui::UpDown BWUpDown;
    ui::Edit BWEdit;
    ui::Label BWLabel;
    ui::Button DoneButton1;
    ui::Button CancelButton1;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The close box cancels; the window is only hidden, never destroyed, until program end.
    bool CloseQuery() override;
    void OnHandleDestroyed() override;
    void OnDpiChanged(int previousDpi, const RECT& suggested) override;

private:
    // A control's place at 96 dpi: it keeps its distance to the named sides of its parent (the
    // dialog or a page; none for controls in the group box, which never changes its height) as
    // the dialog resizes.
    struct Place {
        const void* control;
        std::function<void(const RECT&)> place;
        RECT design;
        unsigned anchors;
        SIZE minimum;
        HWND parent;
        // A check box whose text is wider than the scaled width takes the room it needs (fonts do
        // not grow in exact proportion to the scale); a row that follows it moves along.
        const ui::WindowedControl* fitText = nullptr;
        const ui::WindowedControl* follows = nullptr;
    };

    [[nodiscard]] bool CreateLayout();
    [[nodiscard]] bool CreateFoldersTab();
    [[nodiscard]] bool CreateOptionsTab();
    void ConnectHandlers();
    void LayoutControls();
    void CreateFonts();
    // A rectangle of the table at the dialog's scale; the table's place of `control` so.
    RECT Placed(const RECT& design) const;
    RECT PlaceOf(const void* control) const;
    // Fonts, pictures and places for the dialog's scale.
    void ApplyScale();
    void CenterOnScreen();
    void UpdateSourceTabStop();
    void RunModalLoop();
    void CloseDialog();

    HWND mainWindow_ = nullptr;
    bool modal_ = false;
    // The control that had the focus when the dialog was last deactivated.
    HWND savedFocus_ = nullptr;
    std::vector<Place> layout_;
};

extern std::unique_ptr<TOptionsForm> OptionsForm;

// The last folder added through the dialog: where the folder browser starts next time. Empty at
// program start, never saved.
extern std::wstring LastFolder;

// Offers the options dialog on a first start without any music source; runs once, when idle.
void FirstRunPrompt();

// Whether the iTunes preferences file exists under the user's application-data folder.
bool ItunesPrefsExist();

// The folder list's letter-case rule for nesting: the user's locale.
bool LocaleEqualIgnoringCase(std::wstring_view a, std::wstring_view b);
