#include "core/PngDecoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace core {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFFu;

uint32_t ReadBigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

PngResult Fail(PngError error, std::string message) { return PngResult{error, std::move(message)}; }

struct Chunk {
    char type[5] = {};
    const uint8_t* data = nullptr;
    uint32_t length = 0;

    bool Is(const char* name) const { return std::memcmp(type, name, 4) == 0; }
    // Bit 5 of the first letter: lower case marks a chunk a decoder may skip.
    bool Ancillary() const { return (type[0] & 0x20) != 0; }
};

// Walks the chunks after the signature, checking lengths and checksums.
class ChunkReader {
public:
    ChunkReader(const uint8_t* data, size_t size) : data_(data), size_(size), pos_(sizeof kSignature) {}

    PngResult Next(Chunk& chunk) {
        if (size_ - pos_ < 12) return Fail(PngError::Truncated, "file ends before the end chunk");
        const uint8_t* p = data_ + pos_;
        const uint32_t length = ReadBigEndian32(p);
        if (length > kMaxChunkLength) return Fail(PngError::BadHeader, "chunk length out of range");
        for (int i = 0; i < 4; ++i) {
            const uint8_t c = p[4 + i];
            const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            if (!letter) return Fail(PngError::BadHeader, "chunk type is not four letters");
            chunk.type[i] = char(c);
        }
        if (size_ - pos_ - 12 < length) {
            return Fail(PngError::Truncated, std::string("file ends inside chunk ") + chunk.type);
        }
        const uint32_t expected = ReadBigEndian32(p + 8 + length);
        const uLong actual = crc32(crc32(0L, Z_NULL, 0), p + 4, uInt(length + 4));
        if (actual != expected) return Fail(PngError::BadCrc, std::string("checksum mismatch in chunk ") + chunk.type);
        chunk.data = p + 8;
        chunk.length = length;
        pos_ += size_t(length) + 12;
        return {};
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_;
};

struct Header {
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
};

PngResult ParseHeader(const Chunk& chunk, Header& header) {
    if (!chunk.Is("IHDR")) return Fail(PngError::BadHeader, "first chunk is not the header");
    if (chunk.length != 13) return Fail(PngError::BadHeader, "header chunk has the wrong length");
    const uint8_t* d = chunk.data;
    header.width = ReadBigEndian32(d);
    header.height = ReadBigEndian32(d + 4);
    const int depth = d[8], colourType = d[9], compression = d[10], filter = d[11], interlace = d[12];

    if (header.width == 0 || header.height == 0 || header.width > 0x7FFFFFFFu || header.height > 0x7FFFFFFFu) {
        return Fail(PngError::BadHeader, "invalid image dimensions");
    }
    const bool validDepth = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    const bool validType = colourType == 0 || colourType == 2 || colourType == 3 || colourType == 4 || colourType == 6;
    if (!validDepth || !validType) return Fail(PngError::BadHeader, "invalid bit depth or colour type");
    if (compression != 0 || filter != 0 || interlace > 1) {
        return Fail(PngError::BadHeader, "invalid compression, filter or interlace method");
    }
    if (colourType == 3) return Fail(PngError::Unsupported, "palette images are not supported");
    if (colourType == 0 || colourType == 4) return Fail(PngError::Unsupported, "greyscale images are not supported");
    if (depth != 8) return Fail(PngError::Unsupported, "only 8 bits per channel are supported");
    if (interlace != 0) return Fail(PngError::Unsupported, "interlaced images are not supported");

    if (header.width > uint32_t(kPngMaxDimension) || header.height > uint32_t(kPngMaxDimension) ||
        uint64_t(header.width) * header.height > uint64_t(kPngMaxPixels)) {
        return Fail(PngError::TooLarge, "image dimensions exceed the decoder's limits");
    }
    header.channels = colourType == 6 ? 4 : 3;
    return {};
}

// Inflates the image data, chunk by chunk, into a buffer of exactly the size the header implies.
// The buffer grows with the output, so a small file declaring a large image costs little memory.
class Inflater {
public:
    // One spare byte tells "exactly full" from "more data than the image holds".
    explicit Inflater(size_t expected) : limit_(expected + 1) {}
    ~Inflater() {
        if (initialised_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    PngResult Init() {
        if (inflateInit(&stream_) != Z_OK) return Fail(PngError::BadImageData, "cannot start decompression");
        initialised_ = true;
        return {};
    }

    PngResult Feed(const uint8_t* data, uint32_t length) {
        if (length == 0) return {};
        if (finished_) return Fail(PngError::BadImageData, "image data continues after the compressed stream");
        stream_.next_in = const_cast<Bytef*>(data);
        stream_.avail_in = uInt(length);
        while (stream_.avail_in > 0) {
            if (stream_.avail_out == 0) {
                if (raw_.size() == limit_) return Fail(PngError::BadImageData, "image data is too long");
                Grow();
            }
            const int rc = inflate(&stream_, Z_NO_FLUSH);
            if (rc == Z_STREAM_END) {
                finished_ = true;
                if (stream_.avail_in > 0) {
                    return Fail(PngError::BadImageData, "image data continues after the compressed stream");
                }
                break;
            }
            if (rc != Z_OK) return Fail(PngError::BadImageData, "compressed image data is damaged");
        }
        if (Produced() == limit_) return Fail(PngError::BadImageData, "image data is too long");
        return {};
    }

    // The inflated rows, once the stream has ended with exactly the expected amount.
    PngResult Finish() {
        if (!finished_ || Produced() != limit_ - 1) return Fail(PngError::BadImageData, "image data is too short");
        raw_.resize(limit_ - 1);
        return {};
    }

    std::vector<uint8_t>& Raw() { return raw_; }

private:
    size_t Produced() const { return raw_.size() - stream_.avail_out; }

    void Grow() {
        const size_t used = raw_.size();
        const size_t grown = std::min(limit_, std::max<size_t>(used * 2, 64 * 1024));
        raw_.resize(grown);
        stream_.next_out = raw_.data() + used;
        stream_.avail_out = uInt(grown - used);
    }

    std::vector<uint8_t> raw_;
    size_t limit_;
    z_stream stream_{};
    bool initialised_ = false;
    bool finished_ = false;
};

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return uint8_t(a);
    return uint8_t(pb <= pc ? b : c);
}

// Reverses the per-row filters in place; raw holds rows of one filter byte plus `stride` bytes.
PngResult Unfilter(std::vector<uint8_t>& raw, size_t stride, size_t rows, size_t bpp) {
    const uint8_t* previous = nullptr;
    for (size_t y = 0; y < rows; ++y) {
        const uint8_t filter = raw[y * (stride + 1)];
        uint8_t* row = &raw[y * (stride + 1) + 1];
        for (size_t x = 0; x < stride; ++x) {
            const int a = x >= bpp ? row[x - bpp] : 0;
            const int b = previous ? previous[x] : 0;
            const int c = previous && x >= bpp ? previous[x - bpp] : 0;
            switch (filter) {
                case 0: break;
                case 1: row[x] = uint8_t(row[x] + a); break;
                case 2: row[x] = uint8_t(row[x] + b); break;
                case 3: row[x] = uint8_t(row[x] + ((a + b) >> 1)); break;
                case 4: row[x] = uint8_t(row[x] + Paeth(a, b, c)); break;
                default: return Fail(PngError::BadImageData, "unknown row filter type " + std::to_string(filter));
            }
        }
        previous = row;
    }
    return {};
}

PngResult Decode(const uint8_t* data, size_t size, RgbaImage& out) {
    if (!data || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0) {
        return Fail(PngError::BadSignature, "not a PNG file");
    }
    ChunkReader reader(data, size);
    Chunk chunk;
    if (PngResult r = reader.Next(chunk); !r) return r;
    Header header;
    if (PngResult r = ParseHeader(chunk, header); !r) return r;

    const size_t stride = size_t(header.width) * header.channels;
    Inflater inflater((stride + 1) * header.height);
    if (PngResult r = inflater.Init(); !r) return r;

    enum class Stage { BeforeData, InData, AfterData } stage = Stage::BeforeData;
    for (;;) {
        if (PngResult r = reader.Next(chunk); !r) return r;
        if (chunk.Is("IDAT")) {
            if (stage == Stage::AfterData) return Fail(PngError::BadChunkOrder, "image data chunks are not consecutive");
            stage = Stage::InData;
            if (PngResult r = inflater.Feed(chunk.data, chunk.length); !r) return r;
            continue;
        }
        if (stage == Stage::InData) stage = Stage::AfterData;
        if (chunk.Is("IEND")) break;  // whatever follows the end chunk is not part of the picture
        if (chunk.Is("IHDR")) return Fail(PngError::BadChunkOrder, "second header chunk");
        if (chunk.Is("PLTE")) {
            // A suggested palette for true-colour images: legal before the data, not needed here.
            if (stage != Stage::BeforeData) return Fail(PngError::BadChunkOrder, "palette after the image data");
            continue;
        }
        if (!chunk.Ancillary()) {
            return Fail(PngError::Unsupported, std::string("unknown critical chunk ") + chunk.type);
        }
    }
    if (stage == Stage::BeforeData) return Fail(PngError::BadImageData, "no image data");
    if (PngResult r = inflater.Finish(); !r) return r;

    std::vector<uint8_t>& raw = inflater.Raw();
    if (PngResult r = Unfilter(raw, stride, header.height, size_t(header.channels)); !r) return r;

    out.rgba.resize(size_t(header.width) * header.height * 4);
    uint8_t* dst = out.rgba.data();
    for (size_t y = 0; y < header.height; ++y) {
        const uint8_t* src = &raw[y * (stride + 1) + 1];
        for (size_t x = 0; x < header.width; ++x, src += header.channels, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = header.channels == 4 ? src[3] : 255;
        }
    }
    out.width = int(header.width);
    out.height = int(header.height);
    return {};
}

}  // namespace

PngResult DecodePng(const uint8_t* data, size_t size, RgbaImage& out) {
    out = RgbaImage{};
    PngResult result;
    try {
        result = Decode(data, size, out);
    } catch (const std::bad_alloc&) {
        result = Fail(PngError::TooLarge, "not enough memory for the image");
    }
    if (!result) out = RgbaImage{};
    return result;
}

const char* PngErrorName(PngError error) {
    switch (error) {
        case PngError::None: return "None";
        case PngError::BadSignature: return "BadSignature";
        case PngError::Truncated: return "Truncated";
        case PngError::BadCrc: return "BadCrc";
        case PngError::BadHeader: return "BadHeader";
        case PngError::BadChunkOrder: return "BadChunkOrder";
        case PngError::Unsupported: return "Unsupported";
        case PngError::TooLarge: return "TooLarge";
        case PngError::BadImageData: return "BadImageData";
    }
    return "Unknown";
}

}  // namespace core
