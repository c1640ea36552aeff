#include "core/GaugeMath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

struct ScaleCase {
    int32_t percent;
    int32_t whole;
    int32_t expected;
};

TEST(GaugeMath, ScaleByPercentIsExactAndTruncatesTowardZero) {
    const ScaleCase cases[] = {
        {5, 20, 1},          // a whole product stays whole (no floating-point loss)
        {50, 191, 95},       // 95.5 truncated
        {100, 191, 191},
        {0, 191, 0},
        {7, 100, 7},
        {29, 100, 29},       // 0.29 * 100 is 28.999... in binary floating point
        {57, 100, 57},
        {-50, 191, -95},     // toward zero, not down
        {50, -191, -95},
        {100, kMax, kMax},
        {200, kMax, kMax},   // saturates instead of wrapping
        {200, kMin, kMin},
    };
    for (const ScaleCase& c : cases) {
        EXPECT_EQ(core::ScaleByPercent(c.percent, c.whole), c.expected) << c.percent << "% of " << c.whole;
    }
}

TEST(GaugeMath, EveryWholePercentOfAHundredIsItself) {
    for (int32_t p = 0; p <= 100; ++p) EXPECT_EQ(core::ScaleByPercent(p, 100), p);
}

struct PercentCase {
    int32_t position, min, max;
    int32_t expected;
};

TEST(GaugeMath, PercentDoneCoversTheWholeSigned32BitRange) {
    const PercentCase cases[] = {
        {0, 0, 100, 0},
        {50, 0, 100, 50},
        {100, 0, 100, 100},
        {1, 0, 1000, 0},                      // below one whole percent
        {999, 0, 1000, 99},                   // truncated, not rounded
        {100, 100, 100, 0},                   // empty range
        {-2147483647, -2147483647, 2147483647, 0},
        {0, -2147483647, 2147483647, 50},     // the differences need 33 bits
        {2147483647, -2147483647, 2147483647, 100},
        {kMax, kMin, kMax, 100},
        {-1, kMin, kMax, 49},
        {-40, 0, 100, -40},                   // outside the range the sign survives
    };
    for (const PercentCase& c : cases) {
        EXPECT_EQ(core::PercentDone(c.position, c.min, c.max), c.expected)
            << c.position << " in " << c.min << ".." << c.max;
    }
}

TEST(GaugeMath, PercentOfRangeOfAnEmptyWholeIsZero) {
    EXPECT_EQ(core::PercentOfRange(12345, 0), 0);
    EXPECT_EQ(core::PercentOfRange(0, 0), 0);
}

TEST(GaugeMath, PercentOfRangeSaturatesFarOutsideTheRange) {
    EXPECT_EQ(core::PercentOfRange(int64_t{kMax} * 4, 1), kMax);
    EXPECT_EQ(core::PercentOfRange(int64_t{kMin} * 4, 1), kMin);
}

TEST(GaugeMath, ClampToRangeLimitsBothEnds) {
    EXPECT_EQ(core::ClampToRange(150, 0, 100), 100);
    EXPECT_EQ(core::ClampToRange(-5, 0, 100), 0);
    EXPECT_EQ(core::ClampToRange(42, 0, 100), 42);
    EXPECT_EQ(core::ClampToRange(int64_t{kMax} + 10, kMin, kMax), kMax);
    EXPECT_EQ(core::ClampToRange(int64_t{kMin} - 10, kMin, kMax), kMin);
    EXPECT_EQ(core::ClampToRange(7, 100, 100), 100);
}

}  // namespace
