// Range arithmetic of the text gauge, in 64 bits so no 32-bit range can overflow it.
#pragma once

#include <cstdint>

namespace core {

// Part as a whole percentage of Whole, truncated toward zero; 0 when Whole is 0.
// The result saturates to the 32-bit range (only a part outside 0..Whole can get there).
int32_t PercentOfRange(int64_t part, int64_t whole);

// Percent % of Whole, exact and truncated toward zero (5 % of 20 is 1), saturated to 32 bits.
int32_t ScaleByPercent(int32_t percent, int32_t whole);

// Value limited to min..max (min wins when the range is empty).
int32_t ClampToRange(int64_t value, int32_t min, int32_t max);

// How far Position lies from Min toward Max, in whole percent (0..100 while Min <= Position <= Max).
int32_t PercentDone(int32_t position, int32_t min, int32_t max);

}  // namespace core
