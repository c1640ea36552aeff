// The options dialog's window, controls and resizing.
#include "GUI/OptionsUnit.h"

#include "resources/ResourceIds.h"
#include "ui/Dpi.h"
#include "ui/ScaledPicture.h"

#include <oleacc.h>

#include <algorithm>
#include <initializer_list>

namespace {

constexpr int kClientWidth = 428;
constexpr int kClientHeight = 379;
// The smallest outer size the user can drag the dialog to.
constexpr SIZE kMinimumWindow{342, 342};
constexpr int kListItemHeight = 13;
// A check box's box and the gap before its text, at 96 dpi.
constexpr int kCheckBoxGlyph = 19;

enum Anchor : unsigned { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8, kAllSides = 15 };

ui::FontSpec Tahoma(bool bold) {
    ui::FontSpec spec;
    spec.face = L"Tahoma";
    spec.height = -11;
    spec.bold = bold;
    return spec;
}

constexpr RECT Rect(int left, int top, int width, int height) { return RECT{left, top, left + width, top + height}; }

constexpr RECT kPageControlPlace = Rect(8, 8, 412, 336);

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

ui::LabelStyle UnitLabelStyle(int dpi) {
    ui::LabelStyle label;
    label.font = ui::ScaledFont(Tahoma(false), dpi);
    label.autoSize = true;
    return label;
}

// A control told of a font it already has would repaint for nothing, hidden or not.
void SetFontOnChange(const ui::WindowedControl& control, HFONT font) {
    if (reinterpret_cast<HFONT>(SendMessageW(control.Handle(), WM_GETFONT, 0, 0)) != font) control.SetFont(font);
}

ui::ControlArgs Args(const RECT& place, const wchar_t* text, HFONT font, DWORD style = 0) {
    ui::ControlArgs args;
    args.left = place.left;
    args.top = place.top;
    args.width = place.right - place.left;
    args.height = place.bottom - place.top;
    args.text = text;
    args.style = WS_VISIBLE | style;
    args.font = font;
    return args;
}

}  // namespace

bool TOptionsForm::Create(HWND mainWindow) {
    mainWindow_ = mainWindow;

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
    AdoptWindowDpi();
    CreateFonts();
    SetClientSize(ui::Scale(kClientWidth, Dpi()), ui::Scale(kClientHeight, Dpi()));
    if (!CreateLayout()) return false;
    ConnectHandlers();
    return true;
}

void TOptionsForm::CreateFonts() {
    formFont.Set(ui::ScaledFont(Tahoma(false), Dpi()));
    boldFont.Set(ui::ScaledFont(Tahoma(true), Dpi()));
}

bool TOptionsForm::CreateLayout() {
    // Every control is made in tab order at its place from the table below, at the dialog's scale;
    // LayoutControls places them again from the same table.
    const HFONT font = formFont.Handle();
    if (!PageControl1.Create(Handle(), Args(Placed(kPageControlPlace), L"", font))) return false;
    FoldersTab = PageControl1.AddPage(L"My Music");
    OptionsTab = PageControl1.AddPage(L"Settings");
    if (!FoldersTab || !OptionsTab) return false;

    const SIZE none{0, 0};
    const HWND form = Handle(), folders = FoldersTab->Handle(), options = OptionsTab->Handle();
    auto move = [](const auto& control) {
        return [&control](const RECT& r) { Move(control.Handle(), r); };
    };
    auto set = [](ui::GraphicControl& control) {
        return [&control](const RECT& r) { control.SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); };
    };
    // Every control at 96 dpi. The list grows with the dialog; the buttons keep to the right and
    // the bottom. The pictures and radio buttons keep their places in the group box, whose height
    // never changes. The page control comes first, so the pages have their size before the
    // controls on them are placed.
    layout_ = {
        {&PageControl1, [this](const RECT& r) { PageControl1.Place(r.left, r.top, r.right - r.left, r.bottom - r.top); },
         kPageControlPlace, kAllSides, none, form},
        {&DoneButton1, move(DoneButton1), Rect(264, 350, 75, 25), kRight | kBottom, none, form},
        {&CancelButton1, move(CancelButton1), Rect(345, 350, 75, 25), kRight | kBottom, none, form},
        {&PathListBox, move(PathListBox), Rect(3, 3, 348, 229), kAllSides, SIZE{100, 171}, folders},
        {&AddPathBtn, move(AddPathBtn), Rect(354, 3, 46, 46), kTop | kRight, none, folders},
        {&RemovePathBtn, move(RemovePathBtn), Rect(354, 55, 47, 46), kTop | kRight, none, folders},
        {&SourcesGroupBox, move(SourcesGroupBox), Rect(3, 238, 348, 67), kLeft | kRight | kBottom, none, folders},
        {&FolderImage, set(FolderImage), Rect(13, 23, 58, 42), kLeft | kTop, none, nullptr},
        {&ItunesImage, set(ItunesImage), Rect(13, 16, 51, 51), kLeft | kTop, none, nullptr},
        {&ItunesRadioBtn, move(ItunesRadioBtn), Rect(77, 43, 148, 17), kLeft | kTop, none, nullptr, &ItunesRadioBtn},
        {&FoldersRadioBtn, move(FoldersRadioBtn), Rect(77, 20, 175, 17), kLeft | kTop, none, nullptr,
         &FoldersRadioBtn},
        {&StartupCheckbox, move(StartupCheckbox), Rect(3, 21, 222, 17), kLeft | kTop, none, options, &StartupCheckbox},
        {&LoginCheckbox, move(LoginCheckbox), Rect(3, 44, 222, 17), kLeft | kTop, none, options, &LoginCheckbox},
        {&BWCheckBox, move(BWCheckBox), Rect(3, 67, 119, 17), kLeft | kTop, none, options, &BWCheckBox},
        {&BWEdit, move(BWEdit), Rect(125, 65, 28, 21), kLeft | kTop, none, options, nullptr, &BWCheckBox},
        {&BWUpDown, move(BWUpDown), Rect(153, 65, 15, 21), kLeft | kTop, none, options, nullptr, &BWCheckBox},
        // Sized by its caption; only its corner comes from here.
        {&BWLabel, [this](const RECT& r) { BWLabel.SetBounds(r.left, r.top, BWLabel.Width(), BWLabel.Height()); },
         Rect(172, 68, 0, 0), kLeft | kTop, none, options, nullptr, &BWCheckBox},
    };
    if (!CreateFoldersTab() || !CreateOptionsTab()) return false;
    if (!DoneButton1.Create(Handle(), Args(PlaceOf(&DoneButton1), L"Done", font)) ||
        !CancelButton1.Create(Handle(), Args(PlaceOf(&CancelButton1), L"Cancel", font)))
        return false;
    ApplyScale();
    return true;
}

RECT TOptionsForm::Placed(const RECT& design) const {
    return ui::ScaleRect(design.left, design.top, design.right - design.left, design.bottom - design.top, Dpi());
}

RECT TOptionsForm::PlaceOf(const void* control) const {
    for (const Place& row : layout_) {
        if (row.control == control) return Placed(row.design);
    }
    return RECT{};
}

bool TOptionsForm::CreateFoldersTab() {
    const HWND page = FoldersTab->Handle();
    const HFONT font = formFont.Handle();
    // A picture button's caption is never drawn: it is what screen readers say, the tooltip's words.
    const wchar_t* addTip = L"Add folder with music files to Tonalix";
    const wchar_t* removeTip = L"Remove selected folder from Tonalix";
    if (!PathListBox.Create(page, Args(PlaceOf(&PathListBox), L"", font)) ||
        !AddPathBtn.Create(page, Args(PlaceOf(&AddPathBtn), addTip, font)) ||
        !RemovePathBtn.Create(page, Args(PlaceOf(&RemovePathBtn), removeTip, font)) ||
        !SourcesGroupBox.Create(page, PlaceOf(&SourcesGroupBox), L"My Music Sources", font))
        return false;
    AddPathBtn.SetTooltip(addTip);
    RemovePathBtn.SetTooltip(removeTip);
    FolderImage.SetAccessible(ROLE_SYSTEM_GRAPHIC, L"Music folders");
    ItunesImage.SetAccessible(ROLE_SYSTEM_GRAPHIC, L"iTunes music library");
    for (ui::Image* image : {&FolderImage, &ItunesImage}) {
        image->SetVisible(false);
        image->SetParent(&SourcesGroupBox);
    }
    // iTunes comes first in the tab order; the two form one group for the arrow keys.
    const HWND group = SourcesGroupBox.Handle();
    return ItunesRadioBtn.Create(group, Args(PlaceOf(&ItunesRadioBtn), L"Use my iTunes music library", font), true) &&
           FoldersRadioBtn.Create(group, Args(PlaceOf(&FoldersRadioBtn), L"Select my music folders manually", font),
                                  false);
}

bool TOptionsForm::CreateOptionsTab() {
    const HWND page = OptionsTab->Handle();
    const HFONT font = formFont.Handle();
    if (!StartupCheckbox.Create(page, Args(PlaceOf(&StartupCheckbox), L"Start Tonalix when the computer starts", font)) ||
        !LoginCheckbox.Create(page, Args(PlaceOf(&LoginCheckbox), L"Automatically login when Tonalix starts", font)) ||
        !BWCheckBox.Create(page, Args(PlaceOf(&BWCheckBox), L"Limit upload speed to ", font)))
        return false;
    // The spin buttons come before the edit in the tab order; both start disabled.
    ui::ControlArgs edit = Args(PlaceOf(&BWEdit), L"10", boldFont.Handle(), WS_DISABLED);
    ui::ControlArgs spin = Args(PlaceOf(&BWUpDown), L"", font, WS_DISABLED);
    if (!BWEdit.Create(page, edit) || !BWUpDown.Create(page, spin, BWEdit)) return false;
    SetWindowPos(BWUpDown.Handle(), BWCheckBox.Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    BWUpDown.SetRange(2, 1000);
    BWUpDown.SetPosition(10);

    BWLabel.SetCaption(L"KiB/s");
    BWLabel.SetStyle(UnitLabelStyle(Dpi()));
    BWLabel.SetParent(OptionsTab);
    // The unit is drawn, not a window: the edit box carries it as its name.
    BWLabel.SetAccessible(0);
    BWEdit.SetAccessibleName(BWLabel.Caption());
    return true;
}

void TOptionsForm::ApplyScale() {
    const int dpi = Dpi();
    const HFONT font = formFont.Handle();
    for (ui::WindowedControl* control :
         std::initializer_list<ui::WindowedControl*>{&PageControl1, &PathListBox, &AddPathBtn, &RemovePathBtn,
                                                     &ItunesRadioBtn, &FoldersRadioBtn, &StartupCheckbox,
                                                     &LoginCheckbox, &BWCheckBox, &BWUpDown, &DoneButton1,
                                                     &CancelButton1})
        SetFontOnChange(*control, font);
    SetFontOnChange(BWEdit, boldFont.Handle());
    SourcesGroupBox.SetFont(font);
    PathListBox.SetItemHeight(ui::Scale(kListItemHeight, dpi));
    // Restyled only when the scale changes it: a restyle repaints the page, hidden or not.
    const ui::LabelStyle label = UnitLabelStyle(dpi);
    if (BWLabel.GetFont().Spec().height != label.font.height) BWLabel.SetStyle(label);

    const HINSTANCE module = ui::ModuleInstance();
    AddPathBtn.SetPictures(ui::LoadPicture(module, L"OPT_ADD", dpi), ui::LoadPicture(module, L"OPT_ADD_DISABLED", dpi));
    RemovePathBtn.SetPictures(ui::LoadPicture(module, L"OPT_REMOVE", dpi),
                              ui::LoadPicture(module, L"OPT_REMOVE_DISABLED", dpi));
    FolderImage.SetPicture(ui::LoadPicture(module, L"OPT_FOLDER", dpi));
    ItunesImage.SetPicture(ui::LoadPicture(module, L"OPT_MUSIC", dpi));
    LayoutControls();
}

void TOptionsForm::OnDpiChanged(int previousDpi, const RECT& suggested) {
    // The suggested place; the client area keeps the size the user gave it, at the new scale.
    const SIZE client = ClientSize(Handle());
    CreateFonts();
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const bool designSize = client.cx == ui::Scale(kClientWidth, previousDpi) && client.cy == ui::Scale(kClientHeight, previousDpi);
    if (designSize) SetClientSize(ui::Scale(kClientWidth, Dpi()), ui::Scale(kClientHeight, Dpi()));
    else SetClientSize(MulDiv(client.cx, Dpi(), previousDpi), MulDiv(client.cy, Dpi(), previousDpi));
    // Laid out afresh even where the size did not change.
    ApplyScale();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
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
    if (layout_.empty()) return;
    const int dpi = Dpi();
    // How far each parent has grown beyond its size at design, at this scale. A page is as much
    // smaller than the page control as the tabs and the frame take.
    const SIZE form = ClientSize(Handle());
    const RECT pages = PageControl1.PageRect();
    const RECT tabs = PageControl1.Bounds();
    const RECT tabsDesign = Placed(kPageControlPlace);
    const SIZE pageDesign{(tabsDesign.right - tabsDesign.left) - ((tabs.right - tabs.left) - (pages.right - pages.left)),
                          (tabsDesign.bottom - tabsDesign.top) - ((tabs.bottom - tabs.top) - (pages.bottom - pages.top))};
    // How much each check box grew for its text, for the rows that follow it.
    std::vector<std::pair<const ui::WindowedControl*, int>> widened;
    for (const Place& row : layout_) {
        SIZE grown{0, 0};
        if (row.parent == Handle()) {
            grown = SIZE{form.cx - ui::Scale(kClientWidth, dpi), form.cy - ui::Scale(kClientHeight, dpi)};
        } else if (row.parent) {
            const SIZE page = ClientSize(row.parent);
            grown = SIZE{page.cx - pageDesign.cx, page.cy - pageDesign.cy};
        }
        const RECT design = Placed(row.design);
        const SIZE minimum{ui::Scale(row.minimum.cx, dpi), ui::Scale(row.minimum.cy, dpi)};
        RECT placed = AnchoredRect(design, row.anchors, grown.cx, grown.cy, minimum);
        for (const auto& [control, extra] : widened) {
            if (control == row.follows) OffsetRect(&placed, extra, 0);
        }
        if (row.fitText && dpi != ui::kDesignDpi) {
            const int needed = row.fitText->TextWidth() + ui::Scale(kCheckBoxGlyph, dpi);
            const int extra = std::max(0, needed - static_cast<int>(placed.right - placed.left));
            placed.right += extra;
            widened.emplace_back(row.fitText, extra);
        }
        row.place(placed);
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
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize =
            POINT{ui::Scale(kMinimumWindow.cx, Dpi()), ui::Scale(kMinimumWindow.cy, Dpi())};
        return 0;
    default:
        return ui::Form::HandleMessage(message, wParam, lParam);
    }
}
