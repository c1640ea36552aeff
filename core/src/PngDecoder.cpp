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

uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return uint8_t(a);
    return uint8_t(pb <= pc ? b : c);
}

// Inflates the image data chunk by chunk, one row at a time: each row is unfiltered against the
// one before and appended to the picture as soon as it is complete, so decoding needs two rows
// besides the picture itself. Pictures up to kUpFront bytes get their memory in one piece; larger
// ones grow with the rows that actually arrive, so a small file declaring a large image costs
// little memory.
class RowInflater {
public:
    RowInflater(const Header& header, RgbaImage& out)
        : header_(header), stride_(size_t(header.width) * header.channels), current_(stride_ + 1),
          previous_(stride_, 0), out_(out) {
        const size_t total = size_t(header.width) * header.height * 4;
        out_.rgba.reserve(total <= kUpFront ? total : std::min(total, kFirstGrowth));
        RestartRow();
    }
    ~RowInflater() {
        if (initialised_) inflateEnd(&stream_);
    }
    RowInflater(const RowInflater&) = delete;
    RowInflater& operator=(const RowInflater&) = delete;

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
                if (rows_ == header_.height) {
                    // Every row is in; one spare byte tells "exactly full" from "too long".
                    stream_.next_out = &spare_;
                    stream_.avail_out = 1;
                }
            }
            const int rc = inflate(&stream_, Z_NO_FLUSH);
            if (stream_.avail_out == 0 && rows_ == header_.height) {
                return Fail(PngError::BadImageData, "image data is too long");
            }
            if (stream_.avail_out == 0) {
                if (PngResult r = FinishRow(); !r) return r;
            }
            if (rc == Z_STREAM_END) {
                finished_ = true;
                if (stream_.avail_in > 0) {
                    return Fail(PngError::BadImageData, "image data continues after the compressed stream");
                }
                break;
            }
            if (rc != Z_OK) return Fail(PngError::BadImageData, "compressed image data is damaged");
        }
        return {};
    }

    // Succeeds once the stream has ended with exactly the rows the header declares.
    PngResult Finish() const {
        if (!finished_ || rows_ != header_.height) return Fail(PngError::BadImageData, "image data is too short");
        return {};
    }

private:
    static constexpr size_t kUpFront = size_t(4) << 20;
    static constexpr size_t kFirstGrowth = size_t(1) << 20;

    void RestartRow() {
        stream_.next_out = current_.data();
        stream_.avail_out = uInt(current_.size());
    }

    // Reverses the row's filter against the previous row and appends it as RGBA.
    PngResult FinishRow() {
        const uint8_t filter = current_[0];
        uint8_t* row = current_.data() + 1;
        const size_t bpp = header_.channels;
        const uint8_t* above = previous_.data();  // zeros for the first row
        for (size_t x = 0; x < stride_; ++x) {
            const int a = x >= bpp ? row[x - bpp] : 0;
            const int b = above[x];
            const int c = x >= bpp ? above[x - bpp] : 0;
            switch (filter) {
                case 0: break;
                case 1: row[x] = uint8_t(row[x] + a); break;
                case 2: row[x] = uint8_t(row[x] + b); break;
                case 3: row[x] = uint8_t(row[x] + ((a + b) >> 1)); break;
                case 4: row[x] = uint8_t(row[x] + Paeth(a, b, c)); break;
                default: return Fail(PngError::BadImageData, "unknown row filter type " + std::to_string(filter));
            }
        }
        const size_t start = out_.rgba.size();
        out_.rgba.resize(start + size_t(header_.width) * 4);
        uint8_t* dst = out_.rgba.data() + start;
        const uint8_t* src = row;
        for (size_t x = 0; x < header_.width; ++x, src += bpp, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = bpp == 4 ? src[3] : 255;
        }
        std::memcpy(previous_.data(), row, stride_);
        ++rows_;
        if (rows_ < header_.height) RestartRow();
        return {};
    }

    const Header& header_;
    size_t stride_;
    std::vector<uint8_t> current_;   // the filter byte and the row being inflated
    std::vector<uint8_t> previous_;  // the row above, already unfiltered
    RgbaImage& out_;
    uint32_t rows_ = 0;
    uint8_t spare_ = 0;
    z_stream stream_{};
    bool initialised_ = false;
    bool finished_ = false;
};

PngResult Decode(const uint8_t* data, size_t size, RgbaImage& out) {
    if (!data || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0) {
        return Fail(PngError::BadSignature, "not a PNG file");
    }
    ChunkReader reader(data, size);
    Chunk chunk;
    if (PngResult r = reader.Next(chunk); !r) return r;
    Header header;
    if (PngResult r = ParseHeader(chunk, header); !r) return r;

    RowInflater inflater(header, out);
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
