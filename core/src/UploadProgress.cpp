#include "core/UploadProgress.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace core {

int RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    const double floor = std::floor(value);
    const double diff = value - floor;
    double rounded = floor;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded = floor + 1.0;
    return static_cast<int>(rounded);
}

UploadProgress ComputeUploadProgress(const TPelkoState& state, wchar_t decimalSeparator) {
    UploadProgress result;
    const int64_t left = state.filesLeftToUpload;
    if (left <= 0) return result;
    const int64_t uploaded = state.filesUploadedInSession;
    const int64_t size = state.uploadingFileSize;

    float fraction = 0.0f;
    if (state.uploading && size > 0) {
        // Bytes of this file already sent: the size less what the transfer has still to send.
        const int64_t sent = size - static_cast<int64_t>(state.uploadBytesTotal) + state.uploadBytesSent;
        double f = static_cast<double>(sent) / static_cast<double>(size);
        if (f < 0.0) f = 0.0;
        if (f > 1.0) f = 1.0;
        fraction = static_cast<float>(f);
    }
    const double done = static_cast<double>(uploaded) + fraction;
    const int64_t total = left + uploaded;
    const float percent = total != 0 ? static_cast<float>(done * 100.0 / static_cast<double>(total)) : 0.0f;

    char number[64];
    std::snprintf(number, sizeof number, "%.2f", done);
    std::wstring formatted;
    for (const char* p = number; *p; ++p) formatted += *p == '.' ? decimalSeparator : static_cast<wchar_t>(*p);
    result.text = L"Storing track " + formatted + L" of " +
                  std::to_wstring(static_cast<uint32_t>(static_cast<uint64_t>(total)));
    result.progress = RoundHalfEven(percent);
    return result;
}

}  // namespace core
