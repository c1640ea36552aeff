#include "ui/PngImage.h"
#include "resources/ResourceIds.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HINSTANCE Program() { return GetModuleHandleW(nullptr); }

struct PictureCase {
    const wchar_t* name;
    int width;
    int height;
    bool alpha;  // some pixels partly or fully transparent; otherwise every pixel opaque
};

// Every picture the program carries, with the size its window layouts place it at.
const PictureCase kPictures[] = {
    {L"BACKGROUND", 208, 184, false},
    {L"STATUS_CONNECTING", 44, 44, true},
    {L"STATUS_UPLOADING", 44, 44, true},
    {L"STATUS_STREAMING", 44, 44, true},
    {L"STATUS_IDLE", 44, 44, true},
    {L"STATUS_INDEXING", 44, 44, true},
    {L"TRAY_CONNECTED", 16, 16, true},
    {L"TRAY_DISCONNECTED", 16, 16, true},
    {L"ANIM_CONNECTING", 4 * 16, 16, true},
    {L"ANIM_STREAMING", 7 * 16, 16, true},
    {L"ANIM_UPLOADING", 10 * 16, 16, true},
    {L"ANIM_INDEXING", 10 * 16, 16, true},
    {L"NOTIFICATION_FRAME0", 27, 21, true},
    {L"NOTIFICATION_FRAME1", 27, 21, true},
    {L"NOTIFICATION_FRAME2", 27, 21, true},
    {L"NOTIFICATION_FRAME3", 27, 21, true},
    {L"ABOUT", 250, 300, true},
    {L"OPT_FOLDER", 58, 42, true},
    {L"OPT_MUSIC", 51, 51, true},
    {L"OPT_ADD", 32, 32, true},
    {L"OPT_ADD_DISABLED", 32, 32, true},
    {L"OPT_REMOVE", 32, 32, true},
    {L"OPT_REMOVE_DISABLED", 32, 32, true},
};

std::string Narrow(const wchar_t* text) { return std::string(text, text + wcslen(text)); }

class ProgramPictureTest : public testing::TestWithParam<PictureCase> {};

TEST_P(ProgramPictureTest, LoadsWithItsSize) {
    const PictureCase& want = GetParam();
    ui::PngImage picture;
    ASSERT_TRUE(picture.LoadFromResource(Program(), want.name)) << picture.Error();
    EXPECT_EQ(picture.Width(), want.width);
    EXPECT_EQ(picture.Height(), want.height);
    int transparent = 0, opaque = 0;
    const std::vector<uint8_t>& rgba = picture.Pixels().rgba;
    for (size_t i = 3; i < rgba.size(); i += 4) (rgba[i] == 255 ? opaque : transparent)++;
    if (want.alpha) {
        EXPECT_GT(transparent, 0);
        EXPECT_GT(opaque, 0) << "a picture needs a visible part";
    } else {
        EXPECT_EQ(transparent, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Resources, ProgramPictureTest, testing::ValuesIn(kPictures),
                         [](const testing::TestParamInfo<PictureCase>& info) { return Narrow(info.param.name); });

TEST(PngImage, ResourceNamesMatchWithoutRegardToCase) {
    ui::PngImage upper, lower;
    ASSERT_TRUE(upper.LoadFromResource(Program(), L"NOTIFICATION_FRAME2"));
    ASSERT_TRUE(lower.LoadFromResource(Program(), L"notification_frame2")) << lower.Error();
    EXPECT_EQ(lower.Pixels().rgba, upper.Pixels().rgba);
    ui::PngImage mixed;
    EXPECT_TRUE(mixed.LoadFromResource(Program(), L"Background"));
}

TEST(PngImage, FailedLoadKeepsThePictureAndSaysWhy) {
    ui::PngImage picture;
    ASSERT_TRUE(picture.LoadFromResource(Program(), L"TRAY_CONNECTED"));
    const std::vector<uint8_t> before = picture.Pixels().rgba;

    EXPECT_FALSE(picture.LoadFromResource(Program(), L"NO_SUCH_PICTURE"));
    EXPECT_FALSE(picture.Error().empty());
    const char notPng[] = "GIF89a, not a PNG at all";
    EXPECT_FALSE(picture.LoadFromMemory(notPng, sizeof notPng));
    EXPECT_NE(picture.Error().find("PNG"), std::string::npos) << picture.Error();

    EXPECT_EQ(picture.Width(), 16);
    EXPECT_EQ(picture.Pixels().rgba, before);
    EXPECT_NE(picture.Bitmap(), nullptr);
}

TEST(PngImage, CopiesShareOnePictureAndStayIndependent) {
    ui::PngImage frame, copy;
    ASSERT_TRUE(frame.LoadFromResource(Program(), L"NOTIFICATION_FRAME1"));
    copy.Assign(frame);
    EXPECT_EQ(copy.Width(), 27);
    EXPECT_EQ(copy.Pixels().rgba, frame.Pixels().rgba);
    // Decoded and made into a bitmap once, whichever copy draws first.
    EXPECT_EQ(&copy.Pixels(), &frame.Pixels());
    EXPECT_NE(copy.Bitmap(), nullptr);
    EXPECT_EQ(copy.Bitmap(), frame.Bitmap());

    // Loading another picture into one copy leaves the other as it was.
    ui::PngImage other = frame;
    ASSERT_TRUE(other.LoadFromResource(Program(), L"NOTIFICATION_FRAME2"));
    EXPECT_NE(other.Pixels().rgba, frame.Pixels().rgba);
    EXPECT_EQ(frame.Pixels().rgba, copy.Pixels().rgba);
    EXPECT_NE(other.Bitmap(), frame.Bitmap());

    frame.Clear();
    EXPECT_TRUE(frame.Empty());
    EXPECT_EQ(copy.Height(), 21);
    EXPECT_FALSE(copy.Empty());

    copy.Assign(copy);
    EXPECT_EQ(copy.Height(), 21);
    copy.Assign(frame);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.Bitmap(), nullptr);
}

// ---- Drawing with alpha -------------------------------------------------------------------------

struct Surface {
    ui::ScopedDib dib;
    ui::ScopedMemoryDC dc;
    int width = 0, height = 0;

    Surface(int w, int h) : dib(ui::CreateDib32(w, h)), width(w), height(h) {}
    uint32_t At(int x, int y) const { return dib.bits[size_t(y) * width + x]; }
};

// Source over destination with the source already weighted by its alpha, rounded to nearest.
uint8_t Blend(uint8_t src, uint8_t alpha, uint8_t dst) {
    const int weighted = (src * alpha + 127) / 255;
    return uint8_t(weighted + (dst * (255 - alpha) + 127) / 255);
}

TEST(PngImage, DrawsAStatusPictureWithAlphaOntoTheBackground) {
    ui::PngImage background, status;
    ASSERT_TRUE(background.LoadFromResource(Program(), L"BACKGROUND"));
    ASSERT_TRUE(status.LoadFromResource(Program(), L"STATUS_IDLE"));
    Surface surface(208, 184);
    ASSERT_TRUE(surface.dib);
    ui::ScopedSelect select(surface.dc, surface.dib.bitmap);
    background.Draw(surface.dc, 0, 0);
    status.Draw(surface.dc, 8, 4);
    GdiFlush();

    const auto& bg = background.Pixels().rgba;
    const auto& st = status.Pixels().rgba;
    int partlyCovered = 0;
    for (int sy = 0; sy < 44; ++sy)
        for (int sx = 0; sx < 44; ++sx) {
            const int dx = sx + 8, dy = sy + 4;
            const uint8_t* s = &st[(size_t(sy) * 44 + sx) * 4];
            const uint8_t* b = &bg[(size_t(dy) * 208 + dx) * 4];
            partlyCovered += s[3] > 0 && s[3] < 255 && (s[0] | s[1] | s[2]) > 64;
            const uint32_t got = surface.At(dx, dy);
            const int have[3] = {int((got >> 16) & 0xFF), int((got >> 8) & 0xFF), int(got & 0xFF)};
            for (int c = 0; c < 3; ++c) {
                ASSERT_NEAR(have[c], Blend(s[c], s[3], b[c]), 1)
                    << "pixel " << sx << "," << sy << " channel " << c << " alpha " << int(s[3]);
            }
        }
    // The button's soft rim makes this a real test of the blend, not only of copying.
    EXPECT_GT(partlyCovered, 20);
    // Outside the picture the background is untouched.
    const uint32_t outside = surface.At(100, 100);
    EXPECT_EQ((outside >> 16) & 0xFF, bg[(100u * 208 + 100) * 4]);
}

TEST(PngImage, EmptyPictureDrawsNothing) {
    ui::PngImage empty;
    Surface surface(4, 4);
    ui::ScopedSelect select(surface.dc, surface.dib.bitmap);
    empty.Draw(surface.dc, 0, 0);
    GdiFlush();
    EXPECT_EQ(surface.At(1, 1), 0u);
}

// ---- The other resources: icon and sound --------------------------------------------------------

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// The small icon at 100 to 200 % (16, 20, 24, 32), the large one at 100 to 200 % (32, 40, 48, 64)
// and 256 for the largest views.
TEST(ProgramIcon, HoldsEverySizeFrom16To256WithAlpha) {
    HRSRC info = FindResourceW(Program(), MAKEINTRESOURCEW(IDI_TONALIX), RT_GROUP_ICON);
    ASSERT_NE(info, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(Program(), info)));
    ASSERT_NE(data, nullptr);
    WORD count = 0;
    std::memcpy(&count, data + 4, 2);
    ASSERT_EQ(count, 8);
    std::vector<int> sizes;
    for (int i = 0; i < count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, data + 6 + i * sizeof entry, sizeof entry);
        sizes.push_back(entry.width ? entry.width : 256);
        EXPECT_EQ(entry.bitCount, 32);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    for (int size : {16, 20, 24, 32, 40, 48, 64, 256}) {
        ui::ScopedIcon icon(static_cast<HICON>(
            LoadImageW(Program(), MAKEINTRESOURCEW(IDI_TONALIX), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        EXPECT_TRUE(icon) << size;
    }
}

uint32_t Read32(const BYTE* p) { uint32_t v; std::memcpy(&v, p, 4); return v; }
uint16_t Read16(const BYTE* p) { uint16_t v; std::memcpy(&v, p, 2); return v; }

TEST(ProgramSound, IsAShortMonoPcmWave) {
    HRSRC info = FindResourceW(Program(), L"zorbel", L"WAVE");
    ASSERT_NE(info, nullptr);
    const DWORD size = SizeofResource(Program(), info);
    const BYTE* wav = static_cast<const BYTE*>(LockResource(LoadResource(Program(), info)));
    ASSERT_NE(wav, nullptr);
    ASSERT_GE(size, 44u);
    EXPECT_EQ(std::memcmp(wav, "RIFF", 4), 0);
    EXPECT_EQ(Read32(wav + 4), size - 8);
    EXPECT_EQ(std::memcmp(wav + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(Read32(wav + 16), 16u);
    EXPECT_EQ(Read16(wav + 20), 1);  // PCM
    EXPECT_EQ(Read16(wav + 22), 1);  // channels
    EXPECT_EQ(Read32(wav + 24), 22050u);
    EXPECT_EQ(Read32(wav + 28), 22050u * 2);
    EXPECT_EQ(Read16(wav + 32), 2);
    EXPECT_EQ(Read16(wav + 34), 16);
    EXPECT_EQ(std::memcmp(wav + 36, "data", 4), 0);
    EXPECT_EQ(Read32(wav + 40), 23210u);
    EXPECT_EQ(size, 44u + 23210u);
    // Audible, and silent at both ends so it starts and stops without a click.
    int16_t first, last, loudest = 0;
    std::memcpy(&first, wav + 44, 2);
    std::memcpy(&last, wav + 44 + 23210 - 2, 2);
    for (size_t i = 0; i < 23210; i += 2) {
        int16_t s;
        std::memcpy(&s, wav + 44 + i, 2);
        loudest = std::max<int16_t>(loudest, int16_t(std::abs(s)));
    }
    EXPECT_LT(std::abs(first), 300);
    EXPECT_LT(std::abs(last), 300);
    EXPECT_GT(loudest, 8000);
}

// ---- A contact sheet of every picture ------------------------------------------------------------

// Draws every picture onto one light sheet; with TONALIX_CONTACT_SHEET set to a path it also
// writes the sheet there as a BMP, for looking at the artwork as the program draws it.
TEST(PngImage, EveryPictureDrawsOntoOneSheet) {
    const int width = 600, height = 640;
    Surface sheet(width, height);
    ASSERT_TRUE(sheet.dib);
    for (int i = 0; i < width * height; ++i) sheet.dib.bits[i] = ((i / width / 8 + i % width / 8) % 2) ? 0xFFE4E8EE : 0xFFF8F9FB;
    ui::ScopedSelect select(sheet.dc, sheet.dib.bitmap);
    int x = 4, y = 4, rowHeight = 0;
    for (const PictureCase& item : kPictures) {
        ui::PngImage picture;
        ASSERT_TRUE(picture.LoadFromResource(Program(), item.name));
        if (x + picture.Width() + 4 > width) {
            x = 4;
            y += rowHeight + 4;
            rowHeight = 0;
        }
        ASSERT_LE(y + picture.Height(), height);
        picture.Draw(sheet.dc, x, y);
        GdiFlush();
        // Where the picture is opaque the sheet shows exactly its colour.
        const auto& rgba = picture.Pixels().rgba;
        for (int py = 0; py < picture.Height(); ++py)
            for (int px = 0; px < picture.Width(); ++px) {
                const uint8_t* p = &rgba[(size_t(py) * picture.Width() + px) * 4];
                if (p[3] != 255) continue;
                const uint32_t got = sheet.At(x + px, y + py);
                ASSERT_EQ(got & 0xFFFFFF, (uint32_t(p[0]) << 16) | (p[1] << 8) | p[2])
                    << Narrow(item.name) << " at " << px << "," << py;
            }
        x += picture.Width() + 4;
        rowHeight = std::max(rowHeight, picture.Height());
    }

    const char* path = std::getenv("TONALIX_CONTACT_SHEET");
    if (!path) return;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + width * height * 4;
    FILE* out = std::fopen(path, "wb");
    ASSERT_NE(out, nullptr) << path;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(sheet.dib.bits, 4, size_t(width) * height, out);
    std::fclose(out);
}

}  // namespace
