// The options dialog's window, controls and resizing.
#include "GUI/OptionsUnit.h"

#include "resources/ResourceIds.h"

#include <oleacc.h>

#include <algorithm>

namespace {

constexpr int kClientWidth = 428;
constexpr int kClientHeight = 379;
// The smallest outer size the user can drag the dialog to.
constexpr SIZE kMinimumWindow{342, 342};
constexpr int kListItemHeight = 13;

enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8, kAllSides = 15 };

ui::FontSpec Tahoma(bool bold) {
    ui::FontSpec spec;
    spec.face = L"Tahoma";
    spec.height = -11;
    spec.bold = bold;
    return spec;
}

RECT Rect(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

SIZE ClientSize(HWND window) {
    RECT rc{};
    GetClientRect(window, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// Where a control anchored to `anchors` goes when its parent has grown by (dx, dy) since design.
RECT AnchoredRect(const RECT& design, unsigned anchors, int dx, int dy, SIZE minimum) {
    int left = design.left, top = design.top;
    int width = design.right - design.left, height = design.bottom - design.top;
    if ((anchors & kLeft) && (anchors & kRight)) width += dx;
    else if (anchors & kRight) left += dx;
    if ((anchors & kTop) && (anchors & kBottom)) height += dy;
    else if (anchors & kBottom) top += dy;
    return Rect(left, top, std::max<int>(width, minimum.cx), std::max<int>(height, minimum.cy));
}

// Moved controls paint themselves afresh: the bits they would carry along may be stale.
void Move(HWND window, const RECT& r) {
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

ui::ControlArgs Args(int left, int top, int width, int height, const wchar_t* text, HFONT font, DWORD style = 0) {
    ui::ControlArgs args;
    args.left = left;
    args.top = top;
    args.width = width;
    args.height = height;
    args.text = text;
    args.style = WS_VISIBLE | style;
    args.font = font;
    return args;
}

ui::PngImage Picture(const wchar_t* name) {
    ui::PngImage picture;
    (void)picture.LoadFromResource(ui::ModuleInstance(), name);  // a missing picture leaves the button blank
    return picture;
}

}  // namespace

bool TOptionsForm::Create(HWND mainWindow) {
    mainWindow_ = mainWindow;
    formFont.Set(Tahoma(false));
    boldFont.Set(Tahoma(true));

    ui::WindowClass cls;
    cls.name = L"TOptionsForm";
    cls.icon = LoadIconW(ui::ModuleInstance(), MAKEINTRESOURCEW(IDI_TONALIX));
    ui::CreateArgs args;
    // Sizeable, with the close box as the only caption button.
    args.style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    args.exStyle = WS_EX_CONTROLPARENT;
    args.title = L"Tonalix Options";
    args.width = kClientWidth;
    args.height = kClientHeight;
    args.parent = mainWindow;
    if (!CreateHandle(cls, args)) return false;
    SetClientSize(kClientWidth, kClientHeight);
    if (!CreateLayout()) return false;
    ConnectHandlers();
    return true;
}

bool TOptionsForm::CreateLayout() {
    const HFONT font = formFont.Handle();
    if (!PageControl1.Create(Handle(), Args(8, 8, 412, 336, L"", font))) return false;
    FoldersTab = PageControl1.AddPage(L"My Music");
    OptionsTab = PageControl1.AddPage(L"Settings");
    if (!FoldersTab || !OptionsTab) return false;
    if (!CreateFoldersTab() || !CreateOptionsTab()) return false;
    if (!DoneButton1.Create(Handle(), Args(264, 350, 75, 25, L"Done", font)) ||
        !CancelButton1.Create(Handle(), Args(345, 350, 75, 25, L"Cancel", font)))
        return false;

    const SIZE form{kClientWidth, kClientHeight};
    const RECT pageRect = PageControl1.PageRect();
    const SIZE page{pageRect.right - pageRect.left, pageRect.bottom - pageRect.top};
    const SIZE none{0, 0};
    // The list grows with the dialog; the buttons keep to the right and the bottom. The pictures and
    // radio buttons keep their places in the group box, whose height never changes.
    anchored_ = {
        {[this](const RECT& r) { PageControl1.Place(r.left, r.top, r.right - r.left, r.bottom - r.top); },
         Rect(8, 8, 412, 336), form, kAllSides, none, Handle()},
        {[this](const RECT& r) { Move(DoneButton1.Handle(), r); },
         Rect(264, 350, 75, 25), form, kRight | kBottom, none, Handle()},
        {[this](const RECT& r) { Move(CancelButton1.Handle(), r); },
         Rect(345, 350, 75, 25), form, kRight | kBottom, none, Handle()},
        {[this](const RECT& r) { Move(PathListBox.Handle(), r); },
         Rect(3, 3, 348, 229), page, kAllSides, SIZE{100, 171}, FoldersTab->Handle()},
        {[this](const RECT& r) { Move(AddPathBtn.Handle(), r); },
         Rect(354, 3, 46, 46), page, kTop | kRight, none, FoldersTab->Handle()},
        {[this](const RECT& r) { Move(RemovePathBtn.Handle(), r); },
         Rect(354, 55, 47, 46), page, kTop | kRight, none, FoldersTab->Handle()},
        {[this](const RECT& r) { Move(SourcesGroupBox.Handle(), r); },
         Rect(3, 238, 348, 67), page, kLeft | kRight | kBottom, none, FoldersTab->Handle()},
    };
    return true;
}

bool TOptionsForm::CreateFoldersTab() {
    const HWND page = FoldersTab->Handle();
    const HFONT font = formFont.Handle();
    // A picture button's caption is never drawn: it is what screen readers say, the tooltip's words.
    const wchar_t* addTip = L"Add folder with music files to Tonalix";
    const wchar_t* removeTip = L"Remove selected folder from Tonalix";
    if (!PathListBox.Create(page, Args(3, 3, 348, 229, L"", font)) ||
        !AddPathBtn.Create(page, Args(354, 3, 46, 46, addTip, font)) ||
        !RemovePathBtn.Create(page, Args(354, 55, 47, 46, removeTip, font)) ||
        !SourcesGroupBox.Create(page, Rect(3, 238, 348, 67), L"My Music Sources", font))
        return false;
    PathListBox.SetItemHeight(kListItemHeight);
    AddPathBtn.SetPictures(Picture(L"OPT_ADD"), Picture(L"OPT_ADD_DISABLED"));
    AddPathBtn.SetTooltip(addTip);
    RemovePathBtn.SetPictures(Picture(L"OPT_REMOVE"), Picture(L"OPT_REMOVE_DISABLED"));
    RemovePathBtn.SetTooltip(removeTip);

    FolderImage.SetBounds(13, 23, 58, 42);
    FolderImage.SetPicture(Picture(L"OPT_FOLDER"));
    ItunesImage.SetBounds(13, 16, 51, 51);
    ItunesImage.SetPicture(Picture(L"OPT_MUSIC"));
    FolderImage.SetAccessible(ROLE_SYSTEM_GRAPHIC, L"Music folders");
    ItunesImage.SetAccessible(ROLE_SYSTEM_GRAPHIC, L"iTunes music library");
    for (ui::Image* image : {&FolderImage, &ItunesImage}) {
        image->SetVisible(false);
        image->SetParent(&SourcesGroupBox);
    }
    // iTunes comes first in the tab order; the two form one group for the arrow keys.
    const HWND group = SourcesGroupBox.Handle();
    return ItunesRadioBtn.Create(group, Args(77, 43, 148, 17, L"Use my iTunes music library", font), true) &&
           FoldersRadioBtn.Create(group, Args(77, 20, 175, 17, L"Select my music folders manually", font), false);
}

bool TOptionsForm::CreateOptionsTab() {
    const HWND page = OptionsTab->Handle();
    const HFONT font = formFont.Handle();
    if (!StartupCheckbox.Create(page, Args(3, 21, 222, 17, L"Start Tonalix when the computer starts", font)) ||
        !LoginCheckbox.Create(page, Args(3, 44, 222, 17, L"Automatically login when Tonalix starts", font)) ||
        !BWCheckBox.Create(page, Args(3, 67, 119, 17, L"Limit upload speed to ", font)))
        return false;
    // The spin buttons come before the edit in the tab order; both start disabled.
    ui::ControlArgs edit = Args(125, 65, 28, 21, L"10", boldFont.Handle(), WS_DISABLED);
    ui::ControlArgs spin = Args(153, 65, 15, 21, L"", font, WS_DISABLED);
    if (!BWEdit.Create(page, edit) || !BWUpDown.Create(page, spin, BWEdit)) return false;
    SetWindowPos(BWUpDown.Handle(), BWCheckBox.Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    BWUpDown.SetRange(2, 1000);
    BWUpDown.SetPosition(10);

    ui::LabelStyle label;
    label.font = Tahoma(false);
    label.autoSize = true;
    BWLabel.SetBounds(172, 68, 0, 0);
    BWLabel.SetStyle(label);
    BWLabel.SetCaption(L"KiB/s");
    BWLabel.SetParent(OptionsTab);
    // The unit is drawn, not a window: the edit box carries it as its name.
    BWLabel.SetAccessible(0);
    BWEdit.SetAccessibleName(BWLabel.Caption());
    return true;
}

void TOptionsForm::ConnectHandlers() {
    PathListBox.OnClick = [this] { PathListBoxClick(); };
    AddPathBtn.OnClick = [this] { AddPathBtnClick(); };
    RemovePathBtn.OnClick = [this] { RemovePathBtnClick(); };
    ItunesRadioBtn.OnClick = [this] { ItunesRadioBtnClick(); };
    FoldersRadioBtn.OnClick = [this] { FoldersRadioBtnClick(); };
    BWCheckBox.OnClick = [this] { BWCheckBoxClick(); };
    BWEdit.OnChange = [this] { (void)BWUpDown.FollowBuddyText(); };
    DoneButton1.OnClick = [this] { DoneButton1Click(); };
    CancelButton1.OnClick = [this] { CancelButton1Click(); };
}

void TOptionsForm::LayoutControls() {
    for (const Anchored& row : anchored_) {
        const SIZE parent = ClientSize(row.parent);
        row.place(AnchoredRect(row.design, row.anchors, parent.cx - row.designParent.cx,
                               parent.cy - row.designParent.cy, row.minimum));
    }
}

LRESULT TOptionsForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        // The page control comes first in the table, so the pages have their new size before
        // the controls on them are placed.
        LayoutControls();
        return 0;
    case WM_ACTIVATE:
        // Like a dialog box: the focus goes back where it was when the user returns.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) savedFocus_ = focus;
        } else if (savedFocus_ && IsChild(Handle(), savedFocus_) && IsWindowVisible(savedFocus_) &&
                   IsWindowEnabled(savedFocus_)) {
            SetFocus(savedFocus_);
            return 0;
        }
        return ui::Form::HandleMessage(message, wParam, lParam);
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{kMinimumWindow.cx, kMinimumWindow.cy};
        return 0;
    default:
        return ui::Form::HandleMessage(message, wParam, lParam);
    }
}
