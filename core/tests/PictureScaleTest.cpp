#include "core/PictureScale.h"

#include <gtest/gtest.h>

using core::RgbaImage;

namespace {

RgbaImage Filled(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    RgbaImage p;
    p.width = w;
    p.height = h;
    for (int i = 0; i < w * h; ++i) p.rgba.insert(p.rgba.end(), {r, g, b, a});
    return p;
}

const uint8_t* Pixel(const RgbaImage& p, int x, int y) { return &p.rgba[(size_t(y) * p.width + x) * 4]; }

}  // namespace

TEST(ResizeRgba, SizesAndFlatColourSurviveEveryDirection) {
    const struct { int w, h; } targets[] = {{16, 16}, {20, 20}, {24, 24}, {32, 32}, {13, 7}, {1, 1}, {45, 3}};
    const RgbaImage source = Filled(16, 16, 40, 110, 206, 255);
    for (const auto& t : targets) {
        const RgbaImage out = core::ResizeRgba(source, t.w, t.h);
        ASSERT_EQ(out.width, t.w);
        ASSERT_EQ(out.height, t.h);
        ASSERT_EQ(out.rgba.size(), size_t(t.w) * t.h * 4);
        for (int y = 0; y < t.h; ++y)
            for (int x = 0; x < t.w; ++x) {
                const uint8_t* p = Pixel(out, x, y);
                EXPECT_EQ(p[0], 40);
                EXPECT_EQ(p[1], 110);
                EXPECT_EQ(p[2], 206);
                EXPECT_EQ(p[3], 255);
            }
    }
}

TEST(ResizeRgba, TransparentColourDoesNotBleedIntoEdges) {
    // Left half opaque white, right half fully transparent but "red" underneath.
    RgbaImage source = Filled(4, 1, 255, 255, 255, 255);
    for (int x = 2; x < 4; ++x) {
        uint8_t* p = &source.rgba[size_t(x) * 4];
        p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 0;
    }
    const RgbaImage halved = core::ResizeRgba(source, 3, 1);
    const uint8_t* middle = Pixel(halved, 1, 0);
    EXPECT_EQ(middle[3], 128);  // half covered
    EXPECT_EQ(middle[0], 255);  // white, not pink
    EXPECT_EQ(middle[1], 255);
    EXPECT_EQ(middle[2], 255);
    EXPECT_EQ(Pixel(halved, 2, 0)[3], 0);
}

TEST(ResizeRgba, ShrinkingAveragesTheCoveredArea) {
    // A 2 x 2 checker of black and white becomes one mid-grey pixel.
    RgbaImage source = Filled(2, 2, 0, 0, 0, 255);
    for (int i : {1, 2}) source.rgba[size_t(i) * 4] = source.rgba[size_t(i) * 4 + 1] = source.rgba[size_t(i) * 4 + 2] = 255;
    const RgbaImage out = core::ResizeRgba(source, 1, 1);
    EXPECT_NEAR(Pixel(out, 0, 0)[0], 128, 1);
}

TEST(ResizeRgba, BadInputGivesAnEmptyPicture) {
    RgbaImage broken = Filled(4, 4, 1, 2, 3, 4);
    broken.rgba.pop_back();
    EXPECT_TRUE(core::ResizeRgba(broken, 2, 2).rgba.empty());
    EXPECT_TRUE(core::ResizeRgba(Filled(4, 4, 1, 2, 3, 4), 0, 2).rgba.empty());
    EXPECT_TRUE(core::ResizeRgba(RgbaImage{}, 2, 2).rgba.empty());
}

TEST(PngDimensions, ReadsTheHeaderAndRefusesOtherData) {
    const uint8_t header[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                              0,    0,   0,   208, 0,   0,    0,    184};
    int w = 0, h = 0;
    ASSERT_TRUE(core::PngDimensions(header, sizeof header, w, h));
    EXPECT_EQ(w, 208);
    EXPECT_EQ(h, 184);
    EXPECT_FALSE(core::PngDimensions(header, sizeof header - 1, w, h));
    uint8_t zeroWidth[sizeof header];
    std::copy(header, header + sizeof header, zeroWidth);
    zeroWidth[19] = 0;
    EXPECT_FALSE(core::PngDimensions(zeroWidth, sizeof zeroWidth, w, h));
    uint8_t notPng[sizeof header];
    std::copy(header, header + sizeof header, notPng);
    notPng[1] = 'Q';
    EXPECT_FALSE(core::PngDimensions(notPng, sizeof notPng, w, h));
}
