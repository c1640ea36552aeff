// Spaces out the chunks of an upload so it keeps to a rate in KiB/s. Platform-free: the caller
// gives the time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tovelink {

class UploadPacer {
public:
    // limitKiB < 1 means no limit.
    static size_t ChunkSize(int32_t limitKiB);

    // How long to wait, at `nowMs`, before the next chunk may go at `limitKiB`. A changed limit
    // counts from the moment it is first seen.
    uint32_t DelayMs(uint64_t nowMs, int32_t limitKiB);
    void Sent(uint64_t nowMs, size_t bytes);

private:
    int32_t limit_ = 0;
    bool started_ = false;
    uint64_t windowStartMs_ = 0;
    uint64_t windowBytes_ = 0;
};

}  // namespace tovelink
