// The borderless, per-pixel translucent About window.
#pragma once

#include "core/PngDecoder.h"
#include "ui/Form.h"
#include "ui/GdiHandles.h"
#include "ui/PngImage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TVersionInfo;

struct TShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// What became of an attempt to make the About window.
enum class TAboutCreateResult {
    Created,
    WrongBitmapFormat,  // the picture does not become a 32-bit bitmap
    Unavailable,        // the system could not give the window, its bitmap or its content
};

class TAboutForm : public ui::Form {
public:
    // Creates the hidden window, owned by `mainWindow`, with its finished content made from the
    // PNG resource `picture`.
    [[nodiscard]] TAboutCreateResult Create(HWND mainWindow, const wchar_t* picture = L"ABOUT");
    // Shows the window without making it modal; centred in the work area the first time.
    void ShowAbout();
    // The main window calls this whenever it is itself activated.
    void HideOnOwnerActivate();

    // Ctrl+Alt+B (with or without Shift) plays the chime; Escape hides the window. True when the
    // key was one of these.
    bool FormKeyDown(WORD key, TShiftState shift);
    void FormClick();

    // The window's content: 32-bit, top row first, premultiplied.
    const ui::ScopedDib& GetFormBitmap() const { return FormBitmap; }

    // "version " and major.minor.revision of `version` (0.0.0 without one).
    static std::wstring VersionLine(const TVersionInfo* version);

    // A line of text drawn into the picture, centred across it with its top at `top`.
    struct TextLine {
        int top;
        int fontSize;  // points
        std::wstring text;
    };
    static std::vector<TextLine> TextLines();

    // The two lines, for screen readers (GUI/AboutAccessibility.cpp).
    std::vector<ui::AccessibleItem> AccessibleItems() const override;

    // Plays a WAVE resource of `module`; PlaySoundW unless a test replaces it.
    std::function<void(const wchar_t* name, HMODULE module, DWORD flags)> SoundPlayer;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Closing only hides the window; it lives until the program ends.
    bool CloseQuery() override;
    void OnMenuCommand(UINT id) override;
    void OnDpiChanged(int previousDpi, const RECT& suggested) override;

private:
    [[nodiscard]] TAboutCreateResult FormCreate();
    // The picture with its two lines of text at the window's scale, handed to the system.
    [[nodiscard]] TAboutCreateResult MakeContent();
    void CenterInWorkArea() const;
    bool ClientContains(int x, int y) const;

    ui::PngImage AboutImage;  // the picture while the window content is made; never shown
    ui::ScopedDib FormBitmap;
    std::wstring picture_;  // the PNG resource the content is made from
    bool shownBefore_ = false;
    bool pressed_ = false;
};

// The About picture as a premultiplied 32-bit bitmap: alpha 0 gives all four bytes 0, alpha 255
// keeps the colour, any other alpha weights each colour by it, rounded.
ui::ScopedDib PremultipliedBitmap(const core::RgbaImage& picture);

extern std::unique_ptr<TAboutForm> AboutForm;

// Makes `AboutForm`, owned by `mainWindow`. A picture in the wrong format stops the start: the
// error box is shown and false returned. A window the system cannot give is no reason to stop:
// the program goes on without an About window.
[[nodiscard]] bool CreateAboutForm(HWND mainWindow, const wchar_t* picture = L"ABOUT");
