#include "ui/TrayIcons.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

HINSTANCE Program() { return GetModuleHandleW(nullptr); }

// The icon's colour bitmap as straight RGBA, top row first.
std::vector<uint8_t> IconPixels(HICON icon, int& width, int& height) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    ui::ScopedBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    if (!colour || !GetObjectW(colour, sizeof bm, &bm)) return {};
    width = bm.bmWidth;
    height = bm.bmHeight;
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> bgra(size_t(width) * height * 4);
    ui::ScopedWindowDC screen(nullptr);
    if (GetDIBits(screen, colour, 0, height, bgra.data(), &request, DIB_RGB_COLORS) != height) return {};
    for (size_t i = 0; i < bgra.size(); i += 4) std::swap(bgra[i], bgra[i + 2]);
    return bgra;
}

TEST(TrayIcon, IconFromRgbaKeepsEveryPixelAndItsAlpha) {
    core::RgbaImage picture;
    picture.width = 16;
    picture.height = 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t alpha = uint8_t(y * 17);  // rows from transparent to opaque
            picture.rgba.insert(picture.rgba.end(), {uint8_t(x * 16), uint8_t(200 - y * 8), uint8_t(x * y), alpha});
        }
    ui::Icon icon = ui::Icon::FromRgba(picture);
    ASSERT_FALSE(icon.Empty());
    int width = 0, height = 0;
    const std::vector<uint8_t> pixels = IconPixels(icon.Handle(), width, height);
    ASSERT_EQ(width, 16);
    ASSERT_EQ(height, 16);
    ASSERT_EQ(pixels.size(), picture.rgba.size());
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const uint8_t alpha = picture.rgba[i + 3];
        EXPECT_EQ(pixels[i + 3], alpha) << "pixel " << i / 4;
        if (alpha == 0) continue;  // a fully transparent pixel's colour does not matter
        for (int c = 0; c < 3; ++c) EXPECT_EQ(pixels[i + c], picture.rgba[i + c]) << "pixel " << i / 4;
    }
}

TEST(TrayIcon, EmptyOrInconsistentPictureGivesNoIcon) {
    EXPECT_TRUE(ui::Icon::FromRgba(core::RgbaImage{}).Empty());
    EXPECT_TRUE(ui::Icon::FromResource(Program(), L"NO_SUCH_ICON").Empty());
    core::RgbaImage wrong;
    wrong.width = wrong.height = 4;
    wrong.rgba.resize(10);
    EXPECT_TRUE(ui::Icon::FromRgba(wrong).Empty());
}

TEST(TrayIcon, StillIconsKeepTheirSoftEdges) {
    for (const wchar_t* name : {L"TRAY_CONNECTED", L"tray_disconnected"}) {
        ui::PngImage picture;
        ASSERT_TRUE(picture.LoadFromResource(Program(), name));
        ui::Icon icon = ui::Icon::FromResource(Program(), name);
        ASSERT_FALSE(icon.Empty());
        int width = 0, height = 0;
        const std::vector<uint8_t> pixels = IconPixels(icon.Handle(), width, height);
        ASSERT_EQ(pixels.size(), picture.Pixels().rgba.size());
        int partial = 0;
        for (size_t i = 3; i < pixels.size(); i += 4) {
            EXPECT_EQ(pixels[i], picture.Pixels().rgba[i]);
            partial += pixels[i] > 0 && pixels[i] < 255;
        }
        EXPECT_GT(partial, 0) << "the rounded corners are partly transparent";
    }
}

struct AnimationCase {
    const wchar_t* name;
    int frames;
};

class AnimationTest : public testing::TestWithParam<AnimationCase> {};

TEST_P(AnimationTest, StripBecomesOneFramePerIcon) {
    ui::ImageList list;
    ASSERT_TRUE(list.LoadStrip(Program(), GetParam().name));
    ASSERT_EQ(list.Count(), GetParam().frames);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list.Handle(), &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_TRUE(list.GetIcon(-1).Empty());
    EXPECT_TRUE(list.GetIcon(GetParam().frames).Empty());

    // The last frame comes back with the strip's alpha in its own slice.
    ui::PngImage strip;
    ASSERT_TRUE(strip.LoadFromResource(Program(), GetParam().name));
    const int last = GetParam().frames - 1;
    ui::Icon icon = list.GetIcon(last);
    ASSERT_FALSE(icon.Empty());
    int width = 0, height = 0;
    const std::vector<uint8_t> pixels = IconPixels(icon.Handle(), width, height);
    ASSERT_EQ(width, 16);
    ASSERT_EQ(height, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t* want = &strip.Pixels().rgba[(size_t(y) * strip.Width() + last * 16 + x) * 4];
            const uint8_t* got = &pixels[(size_t(y) * 16 + x) * 4];
            EXPECT_EQ(got[3], want[3]) << x << "," << y;
            if (want[3] == 255) {
                EXPECT_EQ(got[1], want[1]) << x << "," << y;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Resources, AnimationTest,
                         testing::Values(AnimationCase{L"ANIM_CONNECTING", 4}, AnimationCase{L"ANIM_STREAMING", 7},
                                         AnimationCase{L"ANIM_UPLOADING", 10}, AnimationCase{L"ANIM_INDEXING", 10}),
                         [](const testing::TestParamInfo<AnimationCase>& info) {
                             const std::wstring name(info.param.name);
                             return std::string(name.begin() + 5, name.end());
                         });

TEST(ImageList, PictureThatIsNotAStripIsRefusedAndTheListKept) {
    ui::ImageList list;
    ASSERT_TRUE(list.LoadStrip(Program(), L"ANIM_CONNECTING"));
    EXPECT_FALSE(list.LoadStrip(Program(), L"BACKGROUND"));      // not 16 high
    EXPECT_FALSE(list.LoadStrip(Program(), L"STATUS_IDLE"));     // 44 wide: not whole frames
    EXPECT_FALSE(list.LoadStrip(Program(), L"NO_SUCH_STRIP"));
    EXPECT_EQ(list.Count(), 4);

    ui::ImageList empty;
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_TRUE(empty.GetIcon(0).Empty());
}

}  // namespace
