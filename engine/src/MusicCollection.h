// The tracks on this computer as the engine last found them, each with its content hash.
// Refreshed by the engine's worker, read by its streaming thread.
#pragma once

#include "MusicScan.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tovelink {

struct LocalTrack {
    std::wstring path;
    uint64_t size = 0;
    uint64_t writeTime = 0;
    std::string hash;

    std::wstring Name() const;  // the file name without its folder
};

class MusicCollection {
public:
    struct Refreshed {
        bool stopped = false;
        bool skippedFresh = false;  // some files were still being written; look again soon
    };
    // Scans the sources and hashes what is new or changed; unchanged files keep their hash.
    [[nodiscard]] Refreshed Refresh(const MusicSources& sources, const StopSignal& stop);

    std::vector<LocalTrack> Tracks() const;
    std::optional<LocalTrack> Find(const std::string& hash) const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<LocalTrack> tracks_;
};

}  // namespace tovelink
