// Fuzz entry for the PNG decoder: any input must decode or fail cleanly, never touch memory
// outside its buffers, and a success must describe a consistent picture, whose header size reads
// the same without decoding and which resizes to any display scale's size consistently.
#include "core/PictureScale.h"
#include "core/PngDecoder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    core::RgbaImage image;
    const core::PngResult result = core::DecodePng(data, size, image);
    if (result.Ok()) {
        const bool consistent = image.width > 0 && image.height > 0 &&
                                image.rgba.size() == size_t(image.width) * size_t(image.height) * 4;
        if (!consistent) std::abort();
        int width = 0, height = 0;
        if (!core::PngDimensions(data, size, width, height) || width != image.width || height != image.height)
            std::abort();
        // 125 % and 50 % of small pictures: the sizes the program asks for, growing and shrinking.
        if (image.width <= 256 && image.height <= 256) {
            for (const int percent : {125, 50}) {
                const int w = (image.width * percent + 50) / 100, h = (image.height * percent + 50) / 100;
                const core::RgbaImage resized = core::ResizeRgba(image, w, h);
                const bool sized = w < 1 || h < 1 ? resized.rgba.empty()
                                                  : resized.width == w && resized.height == h &&
                                                        resized.rgba.size() == size_t(w) * size_t(h) * 4;
                if (!sized) std::abort();
            }
        }
    } else if (!image.rgba.empty() || result.message.empty()) {
        std::abort();
    }
    return 0;
}
