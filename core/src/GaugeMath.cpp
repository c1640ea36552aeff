#include "core/GaugeMath.h"

#include <limits>

namespace core {

namespace {

int32_t Saturate(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t PercentOfRange(int64_t part, int64_t whole) {
    if (whole == 0) return 0;
    // Differences of 32-bit values fit in 33 bits, so part * 100 cannot overflow 64 bits.
    return Saturate(part * 100 / whole);
}

int32_t ScaleByPercent(int32_t percent, int32_t whole) {
    return Saturate(static_cast<int64_t>(percent) * whole / 100);
}

int32_t ClampToRange(int64_t value, int32_t min, int32_t max) {
    if (value > max) value = max;
    if (value < min) value = min;
    return static_cast<int32_t>(value);
}

int32_t PercentDone(int32_t position, int32_t min, int32_t max) {
    return PercentOfRange(static_cast<int64_t>(position) - min, static_cast<int64_t>(max) - min);
}

}  // namespace core
