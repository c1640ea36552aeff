// The upload gauge's caption and position, from the counts the engine reported.
#pragma once

#include "core/PelkoState.h"

#include <string>

namespace core {

struct UploadProgress {
    std::wstring text;  // empty when nothing is left to upload
    int progress = 0;   // whole percentage handed to the gauge
};

// "Storing track %.2f of %u" with the user's decimal separator. The current file's fraction is
// limited to 0..1 so the caption never shows a negative or overshooting track number.
UploadProgress ComputeUploadProgress(const TPelkoState& state, wchar_t decimalSeparator);

// Nearest integer, a half going to the even neighbour; clamped to the int range.
int RoundHalfEven(double value);

}  // namespace core
