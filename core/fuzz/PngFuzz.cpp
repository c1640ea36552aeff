// Fuzz entry for the PNG decoder: any input must decode or fail cleanly, never touch memory
// outside its buffers, and a success must describe a consistent picture.
#include "core/PngDecoder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    core::RgbaImage image;
    const core::PngResult result = core::DecodePng(data, size, image);
    if (result.Ok()) {
        const bool consistent = image.width > 0 && image.height > 0 &&
                                image.rgba.size() == size_t(image.width) * size_t(image.height) * 4;
        if (!consistent) std::abort();
    } else if (!image.rgba.empty() || result.message.empty()) {
        std::abort();
    }
    return 0;
}
