#include "MusicCollection.h"

#include "TrackHash.h"

#include <windows.h>

namespace tovelink {

namespace {

// A file written this recently may still be growing (being copied in).
constexpr uint64_t kSettleTime = 2ull * 10000000;  // 2 s in FILETIME units

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace

std::wstring LocalTrack::Name() const {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

MusicCollection::Refreshed MusicCollection::Refresh(const MusicSources& sources,
                                                    const StopSignal& stop) {
    Refreshed refreshed;
    ScanResult scan = ScanSources(sources, stop);
    if (scan.stopped) {
        refreshed.stopped = true;
        return refreshed;
    }
    std::map<std::wstring, LocalTrack> known;
    for (const LocalTrack& track : Tracks()) known[track.path] = track;
    const uint64_t now = Now();
    std::vector<LocalTrack> tracks;
    for (const FoundFile& file : scan.files) {
        auto old = known.find(file.path);
        if (old != known.end() && old->second.size == file.size &&
            old->second.writeTime == file.writeTime) {
            tracks.push_back(old->second);
            continue;
        }
        if (file.writeTime + kSettleTime > now) {
            refreshed.skippedFresh = true;
            continue;
        }
        auto hash = HashFile(file.path, stop);
        if (!hash) {
            if (stop.IsSet()) {
                refreshed.stopped = true;
                return refreshed;
            }
            continue;  // unreadable now (locked, just deleted); the next scan tries again
        }
        tracks.push_back({file.path, file.size, file.writeTime, *hash});
    }
    std::lock_guard<std::mutex> lock(mutex_);
    tracks_ = std::move(tracks);
    return refreshed;
}

std::vector<LocalTrack> MusicCollection::Tracks() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return tracks_;
}

std::optional<LocalTrack> MusicCollection::Find(const std::string& hash) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const LocalTrack& track : tracks_)
        if (track.hash == hash) return track;
    return std::nullopt;
}

void MusicCollection::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    tracks_.clear();
}

}  // namespace tovelink
