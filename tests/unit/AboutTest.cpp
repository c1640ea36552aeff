// The About window: its picture and text pixels, its version line, hiding, and the chime's keys.
#include "BoxWatcher.h"
#include "GUI/AboutUnit.h"
#include "GUI/BlendedText.h"
#include "GUI/VersionInfo.h"
#include "MainWindowFixture.h"
#include "resources/ResourceIds.h"
#include "ui/MessageLoop.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using namespace tests;

namespace {

uint32_t Bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a) { return (a << 24) | (r << 16) | (g << 8) | b; }
uint32_t Alpha(uint32_t pixel) { return pixel >> 24; }
uint32_t Blue(uint32_t pixel) { return pixel & 0xFF; }
uint32_t Green(uint32_t pixel) { return (pixel >> 8) & 0xFF; }
uint32_t Red(uint32_t pixel) { return (pixel >> 16) & 0xFF; }

std::vector<uint32_t> Pixels(const ui::ScopedDib& dib, int width, int height) {
    GdiFlush();
    return std::vector<uint32_t>(dib.bits, dib.bits + static_cast<size_t>(width) * height);
}

core::RgbaImage AboutPicture() {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC info = FindResourceW(module, L"ABOUT", RT_RCDATA);
    const HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    core::RgbaImage picture;
    if (!loaded) return picture;
    (void)core::DecodePng(static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, info), picture);
    return picture;
}

// The program's own version for the window's second line, restored afterwards.
class WithProgramVersion {
public:
    WithProgramVersion() : saved_(std::move(ProgramVersion)) { ProgramVersion = std::make_unique<TVersionInfo>(); }
    ~WithProgramVersion() { ProgramVersion = std::move(saved_); }

private:
    std::unique_ptr<TVersionInfo> saved_;
};

struct SoundCall {
    std::wstring name;
    HMODULE module;
    DWORD flags;
};

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.SoundPlayer = [this](const wchar_t* name, HMODULE module, DWORD flags) {
            sounds.push_back({name, module, flags});
        };
        ASSERT_EQ(form.Create(nullptr), TAboutCreateResult::Created);
    }
    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    RECT WindowRect() const {
        RECT rect{};
        GetWindowRect(form.Handle(), &rect);
        return rect;
    }

    WithProgramVersion version;
    TAboutForm form;
    std::vector<SoundCall> sounds;
};

}  // namespace

TEST(AboutPicture, ConversionPixelRules) {
    struct Case {
        uint8_t r, g, b, a;
        uint32_t expected;
    };
    const Case cases[] = {
        {10, 20, 30, 0, 0},                               // transparent: all four bytes 0, colour dropped
        {10, 20, 30, 255, Bgra(30, 20, 10, 255)},          // opaque: colour unchanged
        {200, 100, 50, 128, Bgra(25, 50, 100, 128)},       // (128 * c + 127) div 255
        {255, 255, 255, 1, Bgra(1, 1, 1, 1)},
        {255, 0, 128, 254, Bgra(127, 0, 254, 254)},
        {0, 0, 0, 77, Bgra(0, 0, 0, 77)},
    };
    core::RgbaImage picture;
    picture.width = static_cast<int>(std::size(cases));
    picture.height = 2;
    for (int row = 0; row < 2; ++row) {
        for (const Case& c : cases) {
            // The second row is the first with red and blue swapped, to pin the row order.
            const uint8_t rgba[4] = {row ? c.b : c.r, c.g, row ? c.r : c.b, c.a};
            picture.rgba.insert(picture.rgba.end(), rgba, rgba + 4);
        }
    }
    const ui::ScopedDib dib = PremultipliedBitmap(picture);
    ASSERT_TRUE(dib);
    const std::vector<uint32_t> pixels = Pixels(dib, picture.width, 2);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(pixels[i], cases[i].expected) << "pixel " << i;
        const uint32_t e = cases[i].expected;
        EXPECT_EQ(pixels[picture.width + i], Bgra(Red(e), Green(e), Blue(e), Alpha(e))) << "second row, pixel " << i;
    }
}

TEST(AboutPicture, AnInconsistentPictureGivesNoBitmap) {
    core::RgbaImage picture;
    picture.width = 4;
    picture.height = 4;
    picture.rgba.resize(4 * 4 * 4 - 1);
    EXPECT_FALSE(PremultipliedBitmap(picture));
    EXPECT_FALSE(PremultipliedBitmap(core::RgbaImage{}));
}

TEST(BlendedText, InkIsBlackWithItsCoverageAsAlpha) {
    constexpr int kWidth = 160, kHeight = 40;
    const std::wstring text = L"Tonalix";
    const SIZE extent = MeasureBlendedText(12, text);
    ASSERT_GT(extent.cx, 20);
    ASSERT_LT(extent.cx, kWidth);
    ASSERT_GT(extent.cy, 10);
    ASSERT_LT(extent.cy, kHeight);
    const int left = (kWidth - extent.cx) / 2, top = (kHeight - extent.cy) / 2;

    // On a transparent target the result is the ink itself.
    const ui::ScopedDib clear = ui::CreateDib32(kWidth, kHeight);
    ASSERT_TRUE(clear);
    ASSERT_TRUE(DrawBlendedText(-1, -1, 12, clear.bitmap.Get(), text));
    const std::vector<uint32_t> ink = Pixels(clear, kWidth, kHeight);
    int solid = 0, soft = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = ink[y * kWidth + x];
            ASSERT_EQ(p & 0xFFFFFF, 0u) << "ink is black, premultiplied: " << x << "," << y;
            const bool inside = x >= left && x < left + extent.cx && y >= top && y < top + extent.cy;
            if (!inside) {
                ASSERT_EQ(p, 0u) << "outside the centred text box: " << x << "," << y;
            }
            if (Alpha(p) == 255) ++solid;
            else if (Alpha(p) > 0) ++soft;
        }
    }
    EXPECT_GT(solid, 20) << "glyph cores are fully covered";
    EXPECT_GT(soft, 20) << "edges are anti-aliased";

    // On an opaque white panel the same text darkens the panel by its coverage; alpha stays 255.
    const ui::ScopedDib panel = ui::CreateDib32(kWidth, kHeight);
    ASSERT_TRUE(panel);
    std::fill(panel.bits, panel.bits + kWidth * kHeight, Bgra(255, 255, 255, 255));
    ASSERT_TRUE(DrawBlendedText(-1, -1, 12, panel.bitmap.Get(), text));
    const std::vector<uint32_t> darkened = Pixels(panel, kWidth, kHeight);
    for (size_t i = 0; i < darkened.size(); ++i) {
        const uint32_t p = darkened[i];
        ASSERT_EQ(Alpha(p), 255u) << i;
        ASSERT_TRUE(Blue(p) == Green(p) && Green(p) == Red(p)) << i;
        const int expected = 255 - static_cast<int>(Alpha(ink[i]));
        ASSERT_NEAR(static_cast<int>(Blue(p)), expected, 1) << i;
    }
}

TEST(BlendedText, ExplicitPlaceAndSizeInPoints) {
    const ui::ScopedDib target = ui::CreateDib32(200, 60);
    ASSERT_TRUE(target);
    ASSERT_TRUE(DrawBlendedText(5, 7, 8, target.bitmap.Get(), L"version 1.0.5233"));
    const std::vector<uint32_t> pixels = Pixels(target, 200, 60);
    int minX = 200, minY = 60;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (pixels[y * 200 + x]) {
                minX = std::min(minX, x);
                minY = std::min(minY, y);
            }
    EXPECT_GE(minX, 5);
    EXPECT_LE(minX, 7);
    EXPECT_GE(minY, 7);
    EXPECT_LT(MeasureBlendedText(8, L"Tonalix").cy, MeasureBlendedText(12, L"Tonalix").cy);
}

TEST(BlendedText, OnlyA32BitTargetIsAccepted) {
    const ui::ScopedWindowDC screen(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = 16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const ui::ScopedBitmap rgb(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(rgb);
    EXPECT_FALSE(DrawBlendedText(0, 0, 8, rgb.Get(), L"x"));
    EXPECT_FALSE(DrawBlendedText(0, 0, 8, nullptr, L"x"));
    const ui::ScopedDib target = ui::CreateDib32(8, 8);
    EXPECT_TRUE(DrawBlendedText(0, 0, 8, target.bitmap.Get(), L""));
}

TEST(AboutVersionLine, FromTheVersionRecord) {
    const TVersionInfo own;
    const TVersionInfo longer(BesideProgram(L"version_fixture.exe"));
    const TVersionInfo none(BesideProgram(L"noversion_fixture.exe"));
    EXPECT_EQ(TAboutForm::VersionLine(&own), L"version 1.0.5233");
    EXPECT_EQ(TAboutForm::VersionLine(&longer), L"version 1.0.136305");
    EXPECT_EQ(TAboutForm::VersionLine(&none), L"version 0.0.0");
    EXPECT_EQ(TAboutForm::VersionLine(nullptr), L"version 0.0.0");
}

TEST_F(AboutTest, IsALayeredWindowThePictureSizeAndHidden) {
    EXPECT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(GetWindowLongW(form.Handle(), GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    const RECT rect = WindowRect();
    EXPECT_EQ(rect.right - rect.left, 250);
    EXPECT_EQ(rect.bottom - rect.top, 300);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.Text(), L"About Tonalix");
}

TEST_F(AboutTest, ContentIsThePicturePremultipliedOnceWithBothLines) {
    const core::RgbaImage picture = AboutPicture();
    ASSERT_EQ(picture.width, 250);
    ASSERT_EQ(picture.height, 300);
    const ui::ScopedDib plain = PremultipliedBitmap(picture);
    const std::vector<uint32_t> expectedPicture = Pixels(plain, 250, 300);
    const std::vector<uint32_t> content = Pixels(form.GetFormBitmap(), 250, 300);

    // Above the first line the content is the converted picture, untouched: a second weighting
    // would darken the soft, partly transparent pixels, of which the picture has plenty.
    int soft = 0;
    for (int i = 0; i < 250 * 160; ++i) {
        ASSERT_EQ(content[i], expectedPicture[i]) << "pixel " << i % 250 << "," << i / 250;
        if (Alpha(content[i]) > 0 && Alpha(content[i]) < 255 && Red(content[i]) > 0) ++soft;
    }
    EXPECT_GT(soft, 100);

    // Below the version line the picture is untouched as well.
    const int below = 180 + MeasureBlendedText(8, L"version 1.0.5233").cy;
    for (int i = 250 * below; i < 250 * 300; ++i) ASSERT_EQ(content[i], expectedPicture[i]) << "pixel " << i;

    // Each line is inked and centred within its band of rows.
    struct Band {
        int top, bottom;
    };
    for (const Band& band : {Band{160, 180}, Band{180, below}}) {
        int minX = 250, maxX = -1;
        for (int y = band.top; y < band.bottom; ++y) {
            for (int x = 0; x < 250; ++x) {
                if (content[y * 250 + x] == expectedPicture[y * 250 + x]) continue;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
        }
        ASSERT_GE(maxX, 0) << "no ink in rows " << band.top << " to " << band.bottom;
        EXPECT_NEAR(minX, 249 - maxX, 4) << "centred, rows " << band.top << " to " << band.bottom;
    }

    // Exactly the two lines and nothing else, worked out here on their own: each line's coverage
    // from black text on white in bold Arial, centred, laid over the picture as black ink whose
    // alpha is the coverage (each channel: ink + picture x (255 - coverage) / 255).
    std::vector<uint32_t> expected = expectedPicture;
    struct Line {
        int top, points;
        const wchar_t* text;
    };
    for (const Line& line : {Line{160, 12, L"Tonalix PC Client"}, Line{180, 8, L"version 1.0.5233"}}) {
        const HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        const HFONT font = CreateFontW(-MulDiv(line.points, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                       DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Arial");
        const HDC dc = CreateCompatibleDC(nullptr);
        const HGDIOBJ oldFont = SelectObject(dc, font);
        SIZE extent{};
        ASSERT_TRUE(GetTextExtentPoint32W(dc, line.text, static_cast<int>(wcslen(line.text)), &extent));
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), extent.cx, -extent.cy, 1, 32, BI_RGB};
        void* bits = nullptr;
        const HBITMAP ink = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(ink, nullptr);
        const HGDIOBJ oldBitmap = SelectObject(dc, ink);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        const RECT whole{0, 0, extent.cx, extent.cy};
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &whole, line.text, static_cast<UINT>(wcslen(line.text)), nullptr);
        GdiFlush();
        const int left = (250 - extent.cx) / 2;
        for (int y = 0; y < extent.cy; ++y) {
            for (int x = 0; x < extent.cx; ++x) {
                const uint32_t p = static_cast<const uint32_t*>(bits)[y * extent.cx + x];
                const uint32_t coverage = 255 - (Blue(p) + Green(p) + Red(p)) / 3;
                uint32_t& out = expected[static_cast<size_t>(line.top + y) * 250 + left + x];
                const auto keep = [coverage](uint32_t c) { return (c * (255 - coverage) + 127) / 255; };
                out = Bgra(keep(Blue(out)), keep(Green(out)), keep(Red(out)), coverage + keep(Alpha(out)));
            }
        }
        SelectObject(dc, oldBitmap);
        SelectObject(dc, oldFont);
        DeleteObject(ink);
        DeleteObject(font);
        DeleteDC(dc);
    }
    int differing = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const uint32_t a = content[i], b = expected[i];
        const auto within1 = [](uint32_t x, uint32_t y) { return (x > y ? x - y : y - x) <= 1; };
        if (!within1(Alpha(a), Alpha(b)) || !within1(Red(a), Red(b)) || !within1(Green(a), Green(b)) ||
            !within1(Blue(a), Blue(b)))
            ++differing;
    }
    EXPECT_EQ(differing, 0) << "pixels away from the text laid over the picture";
}

TEST_F(AboutTest, FirstShowCentresInTheWorkAreaLaterShowsKeepThePlace) {
    form.ShowAbout();
    Pump();
    EXPECT_TRUE(form.Visible());
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    RECT rect = WindowRect();
    EXPECT_EQ(rect.left, work.left + (work.right - work.left - 250) / 2);
    EXPECT_EQ(rect.top, work.top + (work.bottom - work.top - 300) / 2);

    const std::vector<uint32_t> before = Pixels(form.GetFormBitmap(), 250, 300);
    SetWindowPos(form.Handle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(form.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(form.Visible());
    form.ShowAbout();
    Pump();
    EXPECT_TRUE(form.Visible());
    rect = WindowRect();
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(Pixels(form.GetFormBitmap(), 250, 300), before) << "shown again without rebuilding";
}

TEST_F(AboutTest, EscapeClickCloseAndOwnerActivationHide) {
    struct Hider {
        const char* name;
        void (*hide)(TAboutForm&);
    };
    const Hider hiders[] = {
        {"Escape", [](TAboutForm& f) { SendMessageW(f.Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001); }},
        {"click",
         [](TAboutForm& f) {
             SendMessageW(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(125, 60));
             SendMessageW(f.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(125, 60));
         }},
        {"close", [](TAboutForm& f) { SendMessageW(f.Handle(), WM_CLOSE, 0, 0); }},
        {"owner activated", [](TAboutForm& f) { f.HideOnOwnerActivate(); }},
    };
    for (const Hider& hider : hiders) {
        form.ShowAbout();
        Pump();
        ASSERT_TRUE(form.Visible()) << hider.name;
        hider.hide(form);
        Pump();
        EXPECT_FALSE(form.Visible()) << hider.name;
        EXPECT_TRUE(IsWindow(form.Handle())) << hider.name << ": hidden, not destroyed";
    }
    form.HideOnOwnerActivate();  // already hidden: nothing happens
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(sounds.empty());
}

TEST_F(AboutTest, AReleaseWithoutAPressOnTheWindowIsNoClick) {
    form.ShowAbout();
    Pump();
    SendMessageW(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(125, 60));
    EXPECT_TRUE(form.Visible());
    SendMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(125, 60));
    SendMessageW(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(400, 60));  // released off the window
    EXPECT_TRUE(form.Visible());
}

TEST_F(AboutTest, KeyCombinationTable) {
    struct Case {
        WORD key;
        TShiftState shift;
        bool chime;
        bool hides;
    };
    const TShiftState none{}, ctrl{false, true, false}, alt{false, false, true}, shift{true, false, false},
        ctrlAlt{false, true, true}, all{true, true, true};
    const Case cases[] = {
        {'B', ctrlAlt, true, false},   {'B', all, true, false},       {'B', none, false, false},
        {'B', ctrl, false, false},     {'B', alt, false, false},      {'B', shift, false, false},
        {'C', ctrlAlt, false, false},  {VK_ESCAPE, none, false, true}, {VK_ESCAPE, shift, false, true},
        {VK_RETURN, none, false, false},
    };
    for (const Case& c : cases) {
        form.ShowAbout();
        Pump();
        sounds.clear();
        form.FormKeyDown(c.key, c.shift);
        Pump();
        EXPECT_EQ(sounds.size(), c.chime ? 1u : 0u) << "key " << c.key;
        EXPECT_EQ(!form.Visible(), c.hides) << "key " << c.key;
    }
    form.FormKeyDown('B', ctrlAlt);
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(_wcsicmp(sounds[0].name.c_str(), L"ZORBEL"), 0);
    EXPECT_EQ(sounds[0].module, GetModuleHandleW(nullptr));
    EXPECT_EQ(sounds[0].flags, 0x40004u) << "the resource, played synchronously";
    EXPECT_NE(FindResourceW(sounds[0].module, sounds[0].name.c_str(), L"WAVE"), nullptr);
}

TEST_F(AboutTest, TheKeyboardStateDecidesTheCombination) {
    BYTE saved[256];
    ASSERT_TRUE(GetKeyboardState(saved));
    const auto pressB = [this](std::initializer_list<int> held) {
        BYTE keys[256] = {};
        for (int key : held) keys[key] = 0x80;
        SetKeyboardState(keys);
        const bool alt = keys[VK_MENU] != 0;
        SendMessageW(form.Handle(), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, 'B', alt ? (1 << 29) | 1 : 1);
    };
    pressB({VK_CONTROL, VK_MENU});
    pressB({VK_CONTROL, VK_MENU, VK_SHIFT});
    pressB({VK_CONTROL});
    pressB({VK_MENU});
    pressB({});
    SetKeyboardState(saved);
    EXPECT_EQ(sounds.size(), 2u);
}

namespace {

// The About window in its place: owned by the main window, shown from the Help menu.
class AboutWithMainWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        AboutForm = std::make_unique<TAboutForm>();
        AboutForm->SoundPlayer = [](const wchar_t*, HMODULE, DWORD) {};
        ASSERT_EQ(AboutForm->Create(form->Handle()), TAboutCreateResult::Created);
    }
    void TearDown() override {
        AboutForm.reset();
        MainWindowTest::TearDown();
    }
    WithProgramVersion version;
};

}  // namespace

TEST_F(AboutWithMainWindowTest, HelpMenuShowsItModelessAndTheMainWindowsActivationHidesIt) {
    form->Show();
    SendMessageW(form->Handle(), WM_COMMAND, IDM_ABOUT, 0);
    Pump();
    EXPECT_TRUE(AboutForm->Visible());
    EXPECT_TRUE(IsWindowEnabled(form->Handle())) << "not modal";
    EXPECT_EQ(GetWindow(AboutForm->Handle(), GW_OWNER), form->Handle());
    SendMessageW(form->Handle(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
    Pump();
    EXPECT_FALSE(AboutForm->Visible());
}

namespace {

// Presses and releases keys as the keyboard does: the input goes through the system's queue.
void TypeKeys(std::initializer_list<WORD> held, WORD key) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD h : held) add(h, false);
    add(key, false);
    add(key, true);
    for (auto it = std::rbegin(held); it != std::rend(held); ++it) add(*it, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

TEST_F(AboutTest, EscapeAndTheChimeWorkThroughTheProgramsMessageLoop) {
    ui::MessageLoop loop;
    const auto runLoopUntil = [&](const std::function<bool()>& done) {
        const DWORD start = GetTickCount();
        while (!done() && GetTickCount() - start < 3000) {
            EXPECT_TRUE(loop.PumpPending());
            Sleep(5);
        }
        return done();
    };
    struct Case {
        const char* name;
        std::function<void()> press;
    };
    const Case escapes[] = {
        {"posted Escape", [&] { PostMessageW(form.Handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001); }},
        {"typed Escape", [] { TypeKeys({}, VK_ESCAPE); }},
    };
    for (const Case& c : escapes) {
        form.ShowAbout();
        Pump();
        ASSERT_EQ(GetActiveWindow(), form.Handle()) << c.name;
        c.press();
        EXPECT_TRUE(runLoopUntil([&] { return !form.Visible(); })) << c.name;
    }

    form.ShowAbout();
    Pump();
    ASSERT_EQ(GetActiveWindow(), form.Handle());
    TypeKeys({VK_CONTROL, VK_MENU}, 'B');
    EXPECT_TRUE(runLoopUntil([&] { return !sounds.empty(); }));
    runLoopUntil([] { return false; });  // nothing more arrives
    EXPECT_EQ(sounds.size(), 1u);
    EXPECT_TRUE(form.Visible()) << "the chime leaves the window open";
}

namespace {

// Refuses the creation of windows of one class, as a system short of resources does.
class RefuseWindowClass {
public:
    explicit RefuseWindowClass(const wchar_t* className) {
        refused_ = className;
        hook_ = SetWindowsHookExW(WH_CBT, &RefuseWindowClass::Hook, nullptr, GetCurrentThreadId());
    }
    ~RefuseWindowClass() {
        UnhookWindowsHookEx(hook_);
        refused_ = nullptr;
    }
    RefuseWindowClass(const RefuseWindowClass&) = delete;
    RefuseWindowClass& operator=(const RefuseWindowClass&) = delete;
    bool Installed() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND && refused_) {
            wchar_t name[64] = {};
            GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64);
            if (std::wcscmp(name, refused_) == 0) return 1;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static const wchar_t* refused_;
    HHOOK hook_ = nullptr;
};
const wchar_t* RefuseWindowClass::refused_ = nullptr;

}  // namespace

TEST(AboutCreation, AWindowTheSystemRefusesIsNoReasonToStopAndClaimsNoBitmapFormat) {
    WithProgramVersion version;
    std::vector<SeenBox> seen;
    bool goOn = false;
    {
        BoxWatcher watcher(IDOK);
        RefuseWindowClass refuse(L"TAboutForm");
        ASSERT_TRUE(refuse.Installed());
        TAboutForm form;
        EXPECT_EQ(form.Create(nullptr), TAboutCreateResult::Unavailable);
        goOn = CreateAboutForm(nullptr);
        Sleep(200);
        seen = watcher.Seen();
    }
    EXPECT_TRUE(goOn) << "the program goes on";
    EXPECT_EQ(AboutForm, nullptr) << "without an About window";
    EXPECT_TRUE(seen.empty()) << "and without a word about the picture";
}

TEST(AboutCreation, APictureThatIsNoPngStopsTheStartWithItsMessage) {
    WithProgramVersion version;
    std::vector<SeenBox> seen;
    bool goOn = true;
    {
        BoxWatcher watcher(IDOK);
        TAboutForm form;
        EXPECT_EQ(form.Create(nullptr, L"NO_SUCH_PICTURE"), TAboutCreateResult::WrongBitmapFormat);
        EXPECT_EQ(form.Handle(), nullptr) << "nothing half-made is left";
        goOn = CreateAboutForm(nullptr, L"NO_SUCH_PICTURE");
        seen = watcher.Seen();
    }
    EXPECT_FALSE(goOn);
    EXPECT_EQ(AboutForm, nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Error");
    EXPECT_EQ(seen[0].text, L"Wrong bitmap format - must be 32 bits/pixel");
}
