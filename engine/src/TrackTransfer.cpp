#include "TrackTransfer.h"

#include "UploadPacer.h"

#include <algorithm>
#include <memory>

namespace tovelink {

namespace {

constexpr uint32_t kPauseSliceMs = 50;

}  // namespace

PacedFile::PacedFile(const LocalTrack& track, std::function<int32_t()> limitKiB,
                     std::function<bool()> interrupted, const StopSignal& stop,
                     std::function<void(uint32_t, bool)> progress)
    : file_(CreateFileW(track.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)),
      size_(static_cast<uint32_t>(track.size)),
      limitKiB_(std::move(limitKiB)),
      interrupted_(std::move(interrupted)),
      stop_(stop),
      progress_(std::move(progress)) {}

BodySource PacedFile::Source() {
    auto pacer = std::make_shared<UploadPacer>();
    return [this, pacer](std::string& chunk) {
        const int32_t limit = limitKiB_();
        if (!Pause(pacer->DelayMs(GetTickCount64(), limit))) return false;
        const uint32_t want = static_cast<uint32_t>(
            std::min<uint64_t>(UploadPacer::ChunkSize(limit), size_ - sent_));
        chunk.resize(want);
        if (!Next(chunk)) return false;
        pacer->Sent(GetTickCount64(), chunk.size());
        sent_ += static_cast<uint32_t>(chunk.size());
        if (progress_) progress_(sent_, sent_ == size_);
        return true;
    };
}

bool PacedFile::Next(std::string& chunk) {
    DWORD read = 0;
    if (!ReadFile(file_.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr))
        return false;
    // A shorter read means the file shrank since it was found; the transfer cannot be whole.
    return read == chunk.size() && read > 0;
}

bool PacedFile::Pause(uint32_t milliseconds) const {
    for (;;) {
        if (stop_.IsSet() || (interrupted_ && interrupted_())) return false;
        if (milliseconds == 0) return true;
        uint32_t slice = std::min(milliseconds, kPauseSliceMs);
        if (stop_.WaitFor(slice)) return false;
        milliseconds -= slice;
    }
}

}  // namespace tovelink
