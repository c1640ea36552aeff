#include "core/PngDecoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace core {
namespace {

using Bytes = std::vector<uint8_t>;

// The pixel pattern of the fixtures (also in fixtures/png/make_fixtures.py).
std::array<uint8_t, 4> Pattern(int x, int y) {
    return {uint8_t(x * 37 + y * 11), uint8_t(x * x * 5 + y * 70), uint8_t(x * y * 29 + 40), uint8_t((x * 20 ^ y * 45) + 5)};
}

Bytes ReadFixture(const std::string& name) {
    std::string dir = __FILE__;
    dir.erase(dir.find_last_of("/\\") + 1);
    std::ifstream file(dir + "fixtures/png/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

void Append32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void AppendChunk(Bytes& out, const std::string& type, const Bytes& data) {
    Append32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    Append32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

uint8_t PaethPredictor(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Builds PNG files chunk by chunk, so each test can bend exactly one rule.
struct PngBuilder {
    int width = 5;
    int height = 4;
    int channels = 4;  // 3: RGB, 4: RGBA
    uint8_t depth = 8;
    uint8_t colourType = 6;
    uint8_t interlace = 0;
    std::function<uint8_t(int row)> filterOf = [](int) { return uint8_t(0); };
    int extraRows = 0;      // positive: more rows than the header says; negative: fewer
    size_t idatPieces = 1;  // the compressed stream split over this many chunks
    std::function<std::array<uint8_t, 4>(int x, int y)> pixel = Pattern;

    Bytes Header() const {
        Bytes ihdr;
        Append32(ihdr, uint32_t(width));
        Append32(ihdr, uint32_t(height));
        ihdr.insert(ihdr.end(), {depth, colourType, 0, 0, interlace});
        return ihdr;
    }

    // Filtered rows of the pattern, one filter byte before each.
    Bytes Rows() const {
        const int stride = width * channels, rows = height + extraRows;
        Bytes plain(size_t(stride) * rows), out;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < channels; ++c) plain[size_t(y) * stride + x * channels + c] = pixel(x, y)[c];
        for (int y = 0; y < rows; ++y) {
            const uint8_t filter = filterOf(y);
            out.push_back(filter);
            for (int i = 0; i < stride; ++i) {
                const int a = i >= channels ? plain[size_t(y) * stride + i - channels] : 0;
                const int b = y > 0 ? plain[size_t(y - 1) * stride + i] : 0;
                const int c = y > 0 && i >= channels ? plain[size_t(y - 1) * stride + i - channels] : 0;
                const int predictors[5] = {0, a, b, (a + b) / 2, PaethPredictor(a, b, c)};
                out.push_back(uint8_t(plain[size_t(y) * stride + i] - predictors[filter < 5 ? filter : 0]));
            }
        }
        return out;
    }

    static Bytes Compress(const Bytes& raw) {
        uLongf size = compressBound(uLong(raw.size()));
        Bytes out(size);
        EXPECT_EQ(compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9), Z_OK);
        out.resize(size);
        return out;
    }

    Bytes Signature() const { return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}; }

    void AppendData(Bytes& out, const Bytes& compressed) const {
        const size_t piece = (compressed.size() + idatPieces - 1) / idatPieces;
        for (size_t pos = 0; pos < compressed.size(); pos += piece) {
            const size_t end = std::min(compressed.size(), pos + piece);
            AppendChunk(out, "IDAT", Bytes(compressed.begin() + pos, compressed.begin() + end));
        }
    }

    Bytes Build() const {
        Bytes out = Signature();
        AppendChunk(out, "IHDR", Header());
        AppendData(out, Compress(Rows()));
        AppendChunk(out, "IEND", {});
        return out;
    }
};

PngResult Decode(const Bytes& file, RgbaImage& image) { return DecodePng(file.data(), file.size(), image); }

void ExpectPattern(const RgbaImage& image, int width, int height, bool alpha) {
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    ASSERT_EQ(image.rgba.size(), size_t(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &image.rgba[(size_t(y) * width + x) * 4];
            const auto want = Pattern(x, y);
            ASSERT_EQ(p[0], want[0]) << x << "," << y;
            ASSERT_EQ(p[1], want[1]) << x << "," << y;
            ASSERT_EQ(p[2], want[2]) << x << "," << y;
            ASSERT_EQ(p[3], alpha ? want[3] : 255) << x << "," << y;
        }
}

// ---- Valid pictures ----------------------------------------------------------------------------

struct FilterCase {
    const char* name;
    int channels;
    uint8_t filter;
};

class PngFilterTest : public testing::TestWithParam<FilterCase> {};

TEST_P(PngFilterTest, DecodesEveryRowWithTheFilter) {
    PngBuilder png;
    png.width = 23;
    png.height = 11;
    png.channels = GetParam().channels;
    png.colourType = png.channels == 4 ? 6 : 2;
    png.filterOf = [&](int) { return GetParam().filter; };
    RgbaImage image;
    const PngResult result = Decode(png.Build(), image);
    ASSERT_TRUE(result.Ok()) << result.message;
    ExpectPattern(image, 23, 11, png.channels == 4);
}

INSTANTIATE_TEST_SUITE_P(AllFilters, PngFilterTest,
                         testing::Values(FilterCase{"RgbNone", 3, 0}, FilterCase{"RgbSub", 3, 1},
                                         FilterCase{"RgbUp", 3, 2}, FilterCase{"RgbAverage", 3, 3},
                                         FilterCase{"RgbPaeth", 3, 4}, FilterCase{"RgbaNone", 4, 0},
                                         FilterCase{"RgbaSub", 4, 1}, FilterCase{"RgbaUp", 4, 2},
                                         FilterCase{"RgbaAverage", 4, 3}, FilterCase{"RgbaPaeth", 4, 4}),
                         [](const testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST(PngDecoder, DecodesMixedFiltersSplitDataAndSkipsAncillaryChunks) {
    PngBuilder png;
    png.width = 9;
    png.height = 10;
    png.filterOf = [](int row) { return uint8_t(row % 5); };
    png.idatPieces = 40;  // down to one byte per chunk

    Bytes file = png.Signature();
    AppendChunk(file, "IHDR", png.Header());
    AppendChunk(file, "gAMA", {0, 0, 0xB1, 0x8F});
    AppendChunk(file, "PLTE", {1, 2, 3});  // a suggested palette is legal in a true-colour file
    AppendChunk(file, "tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'});
    png.AppendData(file, PngBuilder::Compress(png.Rows()));
    AppendChunk(file, "tIME", {7, 0xE6, 1, 2, 3, 4, 5});
    AppendChunk(file, "IEND", {});
    file.insert(file.end(), {'t', 'r', 'a', 'i', 'l'});  // bytes after the end chunk are ignored

    RgbaImage image;
    const PngResult result = Decode(file, image);
    ASSERT_TRUE(result.Ok()) << result.message;
    ExpectPattern(image, 9, 10, true);
}

TEST(PngDecoder, DecodesOnePixelAndSizesAtTheLimit) {
    PngBuilder one;
    one.width = one.height = 1;
    RgbaImage image;
    ASSERT_TRUE(Decode(one.Build(), image).Ok());
    ExpectPattern(image, 1, 1, true);

    PngBuilder wide;
    wide.width = kPngMaxDimension;
    wide.height = 1;
    wide.channels = 3;
    wide.colourType = 2;
    ASSERT_TRUE(Decode(wide.Build(), image).Ok());
    ExpectPattern(image, kPngMaxDimension, 1, false);
}

// Rows are inflated one at a time; a picture of more than 4 MiB grows with the rows that arrive,
// and rows may straddle the image data chunks anywhere.
TEST(PngDecoder, DecodesALargePictureSplitOverManyChunks) {
    PngBuilder large;
    large.width = 1100;
    large.height = 1000;
    large.idatPieces = 997;
    large.filterOf = [](int row) { return uint8_t(row % 5); };
    RgbaImage image;
    ASSERT_TRUE(Decode(large.Build(), image).Ok());
    ExpectPattern(image, 1100, 1000, true);
}

TEST(PngDecoder, PaethBreaksTiesInTheOrderLeftUpUpperLeft) {
    // At (1,1) up and upper-left tie (left 0, up 30, upper-left 10); at (2,1) left and upper-left
    // tie (left 50, up 20, upper-left 30). Predicting the wrong neighbour changes the pixel.
    const uint8_t values[2][3] = {{10, 30, 20}, {0, 50, 99}};
    PngBuilder png;
    png.width = 3;
    png.height = 2;
    png.channels = 3;
    png.colourType = 2;
    png.filterOf = [](int) { return uint8_t(4); };
    png.pixel = [&](int x, int y) { return std::array<uint8_t, 4>{values[y][x], values[y][x], values[y][x], 255}; };
    RgbaImage image;
    ASSERT_TRUE(Decode(png.Build(), image).Ok());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(image.rgba[(size_t(y) * 3 + x) * 4 + 1], values[y][x]) << x << "," << y;
}

// ---- Committed files written by another encoder -------------------------------------------------

struct FixtureCase {
    const char* file;
    PngError error;
    bool alpha;
};

class PngFixtureTest : public testing::TestWithParam<FixtureCase> {};

TEST_P(PngFixtureTest, GivesTheExpectedOutcome) {
    const Bytes file = ReadFixture(GetParam().file);
    ASSERT_FALSE(file.empty());
    RgbaImage image;
    const PngResult result = Decode(file, image);
    EXPECT_EQ(result.error, GetParam().error) << PngErrorName(result.error) << ": " << result.message;
    if (GetParam().error == PngError::None) {
        ExpectPattern(image, 13, 7, GetParam().alpha);
    } else {
        EXPECT_FALSE(result.message.empty());
        EXPECT_EQ(image.width, 0);
        EXPECT_TRUE(image.rgba.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PngFixtureTest,
                         testing::Values(FixtureCase{"rgb.png", PngError::None, false},
                                         FixtureCase{"rgba.png", PngError::None, true},
                                         FixtureCase{"palette.png", PngError::Unsupported, false},
                                         FixtureCase{"grey16.png", PngError::Unsupported, false},
                                         FixtureCase{"truncated.png", PngError::Truncated, false},
                                         FixtureCase{"badcrc.png", PngError::BadCrc, false},
                                         FixtureCase{"huge.png", PngError::TooLarge, false}),
                         [](const testing::TestParamInfo<FixtureCase>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

// ---- Malformed and unsupported files ------------------------------------------------------------

struct MalformedCase {
    const char* name;
    std::function<Bytes()> file;
    PngError error;
};

PngBuilder Rgba(int width = 5, int height = 4) {
    PngBuilder png;
    png.width = width;
    png.height = height;
    return png;
}

Bytes WithHeader(std::function<void(PngBuilder&)> change) {
    PngBuilder png = Rgba();
    change(png);
    return png.Build();
}

// A valid file whose chunks after the header are given by `body`.
Bytes WithBody(std::function<void(const PngBuilder&, Bytes&)> body) {
    const PngBuilder png = Rgba();
    Bytes out = png.Signature();
    AppendChunk(out, "IHDR", png.Header());
    body(png, out);
    return out;
}

Bytes Flip(Bytes file, size_t at) {
    file.at(at) ^= 0x40;
    return file;
}

const MalformedCase kMalformed[] = {
    {"Empty", [] { return Bytes{}; }, PngError::BadSignature},
    {"WrongSignature", [] { return Flip(Rgba().Build(), 1); }, PngError::BadSignature},
    {"SignatureOnly", [] { return Rgba().Signature(); }, PngError::Truncated},
    {"BadHeaderCrc", [] { return Flip(Rgba().Build(), 20); }, PngError::BadCrc},
    {"BadDataCrc", [] { return Flip(Rgba().Build(), 45); }, PngError::BadCrc},
    {"NoEndChunk", [] { Bytes f = Rgba().Build(); f.resize(f.size() - 12); return f; }, PngError::Truncated},
    {"ChunkLengthBeyondFile",
     [] { Bytes f = Rgba().Build(); f[33 + 2] = 0x10; return f; }, PngError::Truncated},
    {"ChunkLengthHuge", [] { Bytes f = Rgba().Build(); f[33] = 0xFF; return f; }, PngError::BadHeader},
    {"HeaderNotFirst",
     [] {
         const PngBuilder png = Rgba();
         Bytes f = png.Signature();
         AppendChunk(f, "tEXt", {'a', 0, 'b'});
         AppendChunk(f, "IHDR", png.Header());
         png.AppendData(f, PngBuilder::Compress(png.Rows()));
         AppendChunk(f, "IEND", {});
         return f;
     },
     PngError::BadHeader},
    {"HeaderTooShort",
     [] {
         Bytes f = Rgba().Signature();
         AppendChunk(f, "IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 6, 0, 0});
         return f;
     },
     PngError::BadHeader},
    {"ZeroWidth", [] { return WithHeader([](PngBuilder& p) { p.width = 0; }); }, PngError::BadHeader},
    {"InvalidColourType", [] { return WithHeader([](PngBuilder& p) { p.colourType = 5; }); }, PngError::BadHeader},
    {"InvalidDepth", [] { return WithHeader([](PngBuilder& p) { p.depth = 7; }); }, PngError::BadHeader},
    {"Palette", [] { return WithHeader([](PngBuilder& p) { p.colourType = 3; }); }, PngError::Unsupported},
    {"Grey", [] { return WithHeader([](PngBuilder& p) { p.colourType = 0; }); }, PngError::Unsupported},
    {"GreyAlpha", [] { return WithHeader([](PngBuilder& p) { p.colourType = 4; }); }, PngError::Unsupported},
    {"SixteenBit", [] { return WithHeader([](PngBuilder& p) { p.depth = 16; }); }, PngError::Unsupported},
    {"Interlaced", [] { return WithHeader([](PngBuilder& p) { p.interlace = 1; }); }, PngError::Unsupported},
    {"TooWide", [] { return WithHeader([](PngBuilder& p) { p.width = kPngMaxDimension + 1; p.height = 1; }); },
     PngError::TooLarge},
    {"TooManyPixels",
     [] {
         Bytes f = Rgba().Signature();
         Bytes ihdr;
         Append32(ihdr, kPngMaxDimension);
         Append32(ihdr, kPngMaxDimension);
         ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
         AppendChunk(f, "IHDR", ihdr);
         AppendChunk(f, "IEND", {});
         return f;
     },
     PngError::TooLarge},
    {"DataTooShort", [] { return WithHeader([](PngBuilder& p) { p.extraRows = -1; }); }, PngError::BadImageData},
    {"DataTooLong", [] { return WithHeader([](PngBuilder& p) { p.extraRows = 1; }); }, PngError::BadImageData},
    {"DataOneByteTooLong",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             Bytes rows = png.Rows();
             rows.push_back(0);
             png.AppendData(f, PngBuilder::Compress(rows));
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::BadImageData},
    {"DataOneByteTooShort",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             Bytes rows = png.Rows();
             rows.pop_back();
             png.AppendData(f, PngBuilder::Compress(rows));
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::BadImageData},
    {"UnknownFilter",
     [] { return WithHeader([](PngBuilder& p) { p.filterOf = [](int row) { return uint8_t(row == 2 ? 5 : 0); }; }); },
     PngError::BadImageData},
    {"DamagedStream",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             Bytes z = PngBuilder::Compress(png.Rows());
             z[0] = 0x00;  // not a zlib header
             AppendChunk(f, "IDAT", z);
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::BadImageData},
    {"DataAfterStreamEnd",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             Bytes z = PngBuilder::Compress(png.Rows());
             z.push_back(0);
             AppendChunk(f, "IDAT", z);
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::BadImageData},
    {"StreamCutShort",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             Bytes z = PngBuilder::Compress(png.Rows());
             z.resize(z.size() / 2);
             AppendChunk(f, "IDAT", z);
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::BadImageData},
    {"NoImageData", [] { return WithBody([](const PngBuilder&, Bytes& f) { AppendChunk(f, "IEND", {}); }); },
     PngError::BadImageData},
    {"DataChunksNotConsecutive",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             const Bytes z = PngBuilder::Compress(png.Rows());
             AppendChunk(f, "IDAT", Bytes(z.begin(), z.begin() + 4));
             AppendChunk(f, "tEXt", {'a', 0, 'b'});
             AppendChunk(f, "IDAT", Bytes(z.begin() + 4, z.end()));
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::BadChunkOrder},
    {"SecondHeader",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             AppendChunk(f, "IHDR", png.Header());
             png.AppendData(f, PngBuilder::Compress(png.Rows()));
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::BadChunkOrder},
    {"PaletteAfterData",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             png.AppendData(f, PngBuilder::Compress(png.Rows()));
             AppendChunk(f, "PLTE", {1, 2, 3});
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::BadChunkOrder},
    {"UnknownCriticalChunk",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             AppendChunk(f, "ZZZZ", {1});
             png.AppendData(f, PngBuilder::Compress(png.Rows()));
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::Unsupported},
    {"ChunkTypeNotLetters",
     [] {
         return WithBody([](const PngBuilder& png, Bytes& f) {
             AppendChunk(f, "ab1d", {1});
             png.AppendData(f, PngBuilder::Compress(png.Rows()));
             AppendChunk(f, "IEND", {});
         });
     },
     PngError::BadHeader},
};

class PngMalformedTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(PngMalformedTest, IsRefusedWithAReason) {
    RgbaImage image;
    image.width = 3;  // stale content must not survive a failure
    image.rgba.assign(12, 1);
    const PngResult result = Decode(GetParam().file(), image);
    EXPECT_EQ(result.error, GetParam().error) << PngErrorName(result.error) << ": " << result.message;
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_TRUE(image.rgba.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, PngMalformedTest, testing::ValuesIn(kMalformed),
                         [](const testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(PngDecoder, EveryTruncationOfAValidFileIsRefused) {
    PngBuilder png = Rgba(6, 6);
    png.idatPieces = 3;
    png.filterOf = [](int row) { return uint8_t(row % 5); };
    const Bytes file = png.Build();
    for (size_t size = 0; size < file.size(); ++size) {
        // An exact copy of the prefix, so the sanitizers see any read past its end.
        const Bytes prefix(file.begin(), file.begin() + size);
        RgbaImage image;
        EXPECT_FALSE(DecodePng(prefix.data(), prefix.size(), image).Ok()) << "size " << size;
    }
}

TEST(PngDecoder, NullInputIsRefused) {
    RgbaImage image;
    EXPECT_EQ(DecodePng(nullptr, 0, image).error, PngError::BadSignature);
    EXPECT_EQ(DecodePng(nullptr, 100, image).error, PngError::BadSignature);
}

}  // namespace
}  // namespace core
