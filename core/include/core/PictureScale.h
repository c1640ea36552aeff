// Pictures at another size than they were drawn: for display scales that have no artwork of
// their own. Platform-free, so it is tested and fuzzed natively.
#pragma once

#include "core/PngDecoder.h"

#include <cstddef>
#include <cstdint>

namespace core {

// `picture` resized to width x height. Shrinking averages the covered area of every target pixel;
// growing interpolates linearly. Both work on colour weighted by alpha, so the colour of a fully
// transparent pixel never bleeds into its neighbours. An empty picture or a size below 1 gives an
// empty result.
[[nodiscard]] RgbaImage ResizeRgba(const RgbaImage& picture, int width, int height);

// Width and height from a PNG file's header, without decoding it. False when `data` does not
// begin with a PNG signature and a header chunk with a plausible size.
[[nodiscard]] bool PngDimensions(const uint8_t* data, size_t size, int& width, int& height);

}  // namespace core
