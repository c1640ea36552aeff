#include "core/PictureScale.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace core {

namespace {

// Contributions of source samples to one target sample along one axis.
struct Tap {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Tap> AxisTaps(int from, int to) {
    std::vector<Tap> taps(static_cast<size_t>(to));
    const double ratio = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        Tap& tap = taps[static_cast<size_t>(i)];
        if (ratio >= 1.0) {
            // Shrinking: the source interval the target pixel covers, weighted by overlap.
            const double begin = i * ratio, end = (i + 1) * ratio;
            const int first = static_cast<int>(std::floor(begin));
            const int last = std::min(from - 1, static_cast<int>(std::ceil(end)) - 1);
            tap.first = first;
            for (int s = first; s <= last; ++s) {
                const double overlap = std::min(end, s + 1.0) - std::max(begin, static_cast<double>(s));
                tap.weights.push_back(static_cast<float>(std::max(0.0, overlap) / ratio));
            }
        } else {
            // Growing: linear between the two nearest source centres, clamped at the edges.
            const double centre = (i + 0.5) * ratio - 0.5;
            const int left = static_cast<int>(std::floor(centre));
            const double t = centre - left;
            const int a = std::clamp(left, 0, from - 1), b = std::clamp(left + 1, 0, from - 1);
            tap.first = a;
            if (a == b) {
                tap.weights = {1.0f};
            } else {
                tap.weights = {static_cast<float>(1.0 - t), static_cast<float>(t)};
            }
        }
    }
    return taps;
}

uint8_t ToByte(float value) {
    return static_cast<uint8_t>(std::clamp(static_cast<int>(std::lround(value)), 0, 255));
}

uint32_t ReadBigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

}  // namespace

RgbaImage ResizeRgba(const RgbaImage& picture, int width, int height) {
    RgbaImage out;
    const int sw = picture.width, sh = picture.height;
    if (width < 1 || height < 1 || sw < 1 || sh < 1 ||
        picture.rgba.size() != static_cast<size_t>(sw) * static_cast<size_t>(sh) * 4)
        return out;

    // Premultiplied floats, so averaging never darkens or tints soft edges.
    std::vector<float> source(static_cast<size_t>(sw) * sh * 4);
    for (size_t i = 0, n = static_cast<size_t>(sw) * sh; i < n; ++i) {
        const float a = picture.rgba[i * 4 + 3] / 255.0f;
        for (int c = 0; c < 3; ++c) source[i * 4 + c] = picture.rgba[i * 4 + c] * a;
        source[i * 4 + 3] = picture.rgba[i * 4 + 3];
    }

    const std::vector<Tap> across = AxisTaps(sw, width);
    std::vector<float> rows(static_cast<size_t>(width) * sh * 4, 0.0f);
    for (int y = 0; y < sh; ++y) {
        for (int x = 0; x < width; ++x) {
            const Tap& tap = across[static_cast<size_t>(x)];
            float* target = &rows[(static_cast<size_t>(y) * width + x) * 4];
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const float* s = &source[(static_cast<size_t>(y) * sw + tap.first + k) * 4];
                for (int c = 0; c < 4; ++c) target[c] += s[c] * tap.weights[k];
            }
        }
    }

    const std::vector<Tap> down = AxisTaps(sh, height);
    out.width = width;
    out.height = height;
    out.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    for (int y = 0; y < height; ++y) {
        const Tap& tap = down[static_cast<size_t>(y)];
        for (int x = 0; x < width; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const float* s = &rows[((tap.first + k) * static_cast<size_t>(width) + x) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += s[c] * tap.weights[k];
            }
            uint8_t* target = &out.rgba[(static_cast<size_t>(y) * width + x) * 4];
            const uint8_t alpha = ToByte(sum[3]);
            target[3] = alpha;
            if (alpha == 0) continue;
            const float unweigh = 255.0f / sum[3];
            for (int c = 0; c < 3; ++c) target[c] = ToByte(sum[c] * unweigh);
        }
    }
    return out;
}

bool PngDimensions(const uint8_t* data, size_t size, int& width, int& height) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    // Signature, the header chunk's length and type, then width and height.
    if (!data || size < 24 || !std::equal(kSignature, kSignature + 8, data)) return false;
    if (ReadBigEndian32(data + 8) != 13 || !std::equal(data + 12, data + 16, "IHDR")) return false;
    const uint32_t w = ReadBigEndian32(data + 16), h = ReadBigEndian32(data + 20);
    if (w < 1 || h < 1 || w > static_cast<uint32_t>(kPngMaxDimension) || h > static_cast<uint32_t>(kPngMaxDimension))
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

}  // namespace core
