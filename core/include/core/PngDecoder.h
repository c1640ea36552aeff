// Decodes the PNG pictures the program carries: 8-bit RGB or RGBA, not interlaced.
// Anything else, or any damaged file, gives an error; the decoder never reads or writes out of
// bounds and refuses declared sizes that would need an unreasonable amount of memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace core {

// Straight (not premultiplied) red, green, blue, alpha bytes, top row first, no row padding.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

enum class PngError {
    None,
    BadSignature,   // not a PNG file
    Truncated,      // the file ends inside a chunk or before the end chunk
    BadCrc,         // a chunk's checksum does not match
    BadHeader,      // header missing, not first, or with invalid values
    BadChunkOrder,  // chunks out of their legal order (image data split, data after the end)
    Unsupported,    // a valid PNG of a kind this decoder does not handle
    TooLarge,       // declared dimensions beyond the limits below
    BadImageData,   // compressed data damaged, too short or too long, or a bad row filter
};

struct PngResult {
    PngError error = PngError::None;
    std::string message;

    bool Ok() const { return error == PngError::None; }
    explicit operator bool() const { return Ok(); }
};

// A hostile header cannot make the decoder allocate more than about 64 MB for pixels.
constexpr int kPngMaxDimension = 16384;
constexpr int64_t kPngMaxPixels = 16 * 1024 * 1024;

// On success fills `out`; on failure leaves `out` empty and says why.
[[nodiscard]] PngResult DecodePng(const uint8_t* data, size_t size, RgbaImage& out);

const char* PngErrorName(PngError error);

}  // namespace core
