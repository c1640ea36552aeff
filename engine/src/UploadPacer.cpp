#include "UploadPacer.h"

#include <algorithm>

namespace tovelink {

namespace {

constexpr size_t kUnlimitedChunk = 64 * 1024;
constexpr size_t kMinChunk = 512;

}  // namespace

size_t UploadPacer::ChunkSize(int32_t limitKiB) {
    if (limitKiB < 1) return kUnlimitedChunk;
    // About ten chunks a second keeps the pace even and the progress smooth.
    size_t tenth = static_cast<size_t>(limitKiB) * 1024 / 10;
    return std::clamp(tenth, kMinChunk, kUnlimitedChunk);
}

uint32_t UploadPacer::DelayMs(uint64_t nowMs, int32_t limitKiB) {
    if (!started_ || limitKiB != limit_) {
        started_ = true;
        limit_ = limitKiB;
        windowStartMs_ = nowMs;
        windowBytes_ = 0;
    }
    if (limitKiB < 1) return 0;
    uint64_t dueMs = windowBytes_ * 1000 / (static_cast<uint64_t>(limitKiB) * 1024);
    uint64_t elapsed = nowMs - windowStartMs_;
    return dueMs > elapsed ? static_cast<uint32_t>(std::min<uint64_t>(dueMs - elapsed, 60000)) : 0;
}

void UploadPacer::Sent(uint64_t nowMs, size_t bytes) {
    if (!started_) DelayMs(nowMs, limit_);
    windowBytes_ += bytes;
}

}  // namespace tovelink
