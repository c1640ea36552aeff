// Sending a track's bytes at a pace: the body source for uploads and streams, with the upload's
// progress events.
#pragma once

#include "HttpClient.h"
#include "MusicCollection.h"
#include "Win32Handle.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace tovelink {

// Reads the file in chunks sized for the rate that `limitKiB` gives at each moment (below 1:
// no limit) and waits between them. `interrupted` is asked while waiting; true aborts.
// `progress(sent, last)` runs after each chunk is taken.
class PacedFile {
public:
    PacedFile(const LocalTrack& track, std::function<int32_t()> limitKiB,
              std::function<bool()> interrupted, const StopSignal& stop,
              std::function<void(uint32_t sent, bool last)> progress);
    bool Opened() const { return file_.Valid(); }
    BodySource Source();

private:
    [[nodiscard]] bool Next(std::string& chunk);
    [[nodiscard]] bool Pause(uint32_t milliseconds) const;

    KernelHandle file_;
    uint32_t size_;
    uint32_t sent_ = 0;
    std::function<int32_t()> limitKiB_;
    std::function<bool()> interrupted_;
    const StopSignal& stop_;
    std::function<void(uint32_t, bool)> progress_;
};

}  // namespace tovelink
