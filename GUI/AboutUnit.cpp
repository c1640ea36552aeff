#include "GUI/AboutUnit.h"

#include "GUI/BlendedText.h"
#include "GUI/VersionInfo.h"
#include "ui/Dpi.h"
#include "ui/ScaledPicture.h"

#include <mmsystem.h>
#include <windowsx.h>

std::unique_ptr<TAboutForm> AboutForm;

namespace {

constexpr wchar_t kSoundName[] = L"zorbel";
// Synchronous on purpose: the chime is short, and nothing else should happen meanwhile.
constexpr DWORD kSoundFlags = SND_RESOURCE | SND_SYNC;

}  // namespace

ui::ScopedDib PremultipliedBitmap(const core::RgbaImage& picture) {
    ui::ScopedDib dib = ui::CreateDib32(picture.width, picture.height);
    if (!dib || picture.rgba.size() != static_cast<size_t>(picture.width) * picture.height * 4) return ui::ScopedDib{};
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* rgba = &picture.rgba[i * 4];
        const uint32_t a = rgba[3];
        const auto weigh = [a](uint32_t c) { return a == 255 ? c : (a * c + 127) / 255; };
        dib.bits[i] = a == 0 ? 0 : (a << 24) | (weigh(rgba[0]) << 16) | (weigh(rgba[1]) << 8) | weigh(rgba[2]);
    }
    GdiFlush();
    return dib;
}

std::wstring TAboutForm::VersionLine(const TVersionInfo* version) {
    return L"version " + (version ? version->VersionText() : std::wstring(L"0.0.0"));
}

bool CreateAboutForm(HWND mainWindow, const wchar_t* picture) {
    AboutForm = std::make_unique<TAboutForm>();
    switch (AboutForm->Create(mainWindow, picture)) {
    case TAboutCreateResult::Created:
        return true;
    case TAboutCreateResult::WrongBitmapFormat:
        AboutForm.reset();
        MessageBoxW(mainWindow, L"Wrong bitmap format - must be 32 bits/pixel", L"Error", MB_OK | MB_ICONERROR);
        return false;
    case TAboutCreateResult::Unavailable:
    default:
        AboutForm.reset();
        return true;
    }
}

TAboutCreateResult TAboutForm::Create(HWND mainWindow, const wchar_t* picture) {
    if (!SoundPlayer) {
        SoundPlayer = [](const wchar_t* name, HMODULE module, DWORD flags) {
            (void)PlaySoundW(name, module, flags);  // a failing chime is not worth a word
        };
    }
    ui::WindowClass cls;
    cls.name = L"TAboutForm";
    ui::CreateArgs args;
    args.style = WS_POPUP;
    args.exStyle = WS_EX_LAYERED;
    args.title = L"About Tonalix";
    args.width = 200;
    args.height = 182;
    args.parent = mainWindow;
    picture_ = picture ? picture : L"";
    if (!CreateHandle(cls, args)) return TAboutCreateResult::Unavailable;
    const TAboutCreateResult result = FormCreate();
    if (result != TAboutCreateResult::Created) Destroy();
    return result;
}

std::vector<TAboutForm::TextLine> TAboutForm::TextLines() {
    return {{160, 12, L"Tonalix PC Client"}, {180, 8, VersionLine(ProgramVersion.get())}};
}

TAboutCreateResult TAboutForm::FormCreate() {
    const LONG exStyle = GetWindowLongW(Handle(), GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) SetWindowLongW(Handle(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    AdoptWindowDpi();
    return MakeContent();
}

TAboutCreateResult TAboutForm::MakeContent() {
    const int dpi = Dpi();
    // A picture that does not decode to whole RGBA pixels cannot become the 32-bit content.
    AboutImage = ui::LoadPicture(ui::ModuleInstance(), picture_.c_str(), dpi);
    if (AboutImage.Empty()) return TAboutCreateResult::WrongBitmapFormat;
    const core::RgbaImage& pixels = AboutImage.Pixels();
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.rgba.size() != static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height) * 4)
        return TAboutCreateResult::WrongBitmapFormat;
    ui::ScopedDib bitmap = PremultipliedBitmap(pixels);
    // The content never changes once made and the resource still holds the picture: the decoded
    // copy would only take memory for as long as the program runs.
    AboutImage.Clear();
    // The picture was fine: no bitmap now means the system is short of memory or GDI objects.
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap.bitmap.Get(), sizeof(info), &info)) return TAboutCreateResult::Unavailable;
    if (info.bmBitsPixel != 32) return TAboutCreateResult::WrongBitmapFormat;
    FormBitmap = std::move(bitmap);

    // Missing text still leaves a picture worth showing. The lines' places grow with the picture,
    // their sizes are in points.
    for (const TextLine& line : TextLines())
        (void)DrawBlendedText(-1, ui::Scale(line.top, dpi), line.fontSize, FormBitmap.bitmap.Get(), line.text, dpi);

    // Every pixel is premultiplied exactly once: by the conversion, or by the text's blend.
    SIZE size{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
    SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const ui::ScopedMemoryDC source;
    if (!source) return TAboutCreateResult::Unavailable;
    const ui::ScopedSelect select(source, FormBitmap.bitmap.Get());
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (!UpdateLayeredWindow(Handle(), nullptr, nullptr, &size, source, &origin, 0, &blend, ULW_ALPHA))
        return TAboutCreateResult::Unavailable;
    return TAboutCreateResult::Created;
}

void TAboutForm::OnDpiChanged(int, const RECT& suggested) {
    // The content is made afresh at the new scale and sized by its picture; only the place is taken.
    if (MakeContent() != TAboutCreateResult::Created) return;
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TAboutForm::CenterInWorkArea() const {
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return;
    RECT window{};
    GetWindowRect(Handle(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TAboutForm::ShowAbout() {
    if (!Handle()) return;
    if (!shownBefore_) {
        CenterInWorkArea();
        shownBefore_ = true;
    }
    Show(SW_SHOW);
    BringToForeground();
}

void TAboutForm::HideOnOwnerActivate() {
    if (Visible()) Hide();
}

bool TAboutForm::FormKeyDown(WORD key, TShiftState shift) {
    if (key == 'B' && shift.ctrl && shift.alt) {
        if (SoundPlayer) SoundPlayer(kSoundName, ui::ModuleInstance(), kSoundFlags);
        return true;
    }
    if (key == VK_ESCAPE) {
        Close();
        return true;
    }
    return false;
}

void TAboutForm::FormClick() { Close(); }

void TAboutForm::OnMenuCommand(UINT id) {
    // The message loop's dialog navigation turns Escape into IDCANCEL before the window sees it.
    if (id == IDCANCEL) Close();
}

bool TAboutForm::ClientContains(int x, int y) const {
    const RECT client = ClientRect();
    const POINT point{x, y};
    return PtInRect(&client, point) != FALSE;
}

bool TAboutForm::CloseQuery() {
    Hide();
    return false;
}

LRESULT TAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        // Every key reaches the key handler (Escape, Ctrl+Alt+B) instead of dialog navigation.
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        TShiftState shift;
        shift.shift = GetKeyState(VK_SHIFT) < 0;
        shift.ctrl = GetKeyState(VK_CONTROL) < 0;
        shift.alt = GetKeyState(VK_MENU) < 0 || (lParam & (1 << 29)) != 0;
        if (FormKeyDown(static_cast<WORD>(wParam), shift)) return 0;
        break;
    }
    case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(Handle());
        return 0;
    case WM_LBUTTONUP: {
        // A click is a press and a release on the window.
        const bool click = pressed_ && ClientContains(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        pressed_ = false;
        if (GetCapture() == Handle()) ReleaseCapture();
        if (click) FormClick();
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        break;
    default:
        break;
    }
    return ui::Form::HandleMessage(message, wParam, lParam);
}
