// Finding the audio files of the music sources: the folder list, or the tracks an iTunes
// library file names.
#pragma once

#include "Win32Handle.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovelink {

struct MusicSources {
    bool itunes = false;  // the library file instead of the folders
    std::vector<std::wstring> roots;
    std::wstring itunesLibrary;  // the library file, when itunes is true

    bool operator==(const MusicSources& other) const {
        return itunes == other.itunes && roots == other.roots && itunesLibrary == other.itunesLibrary;
    }
};

struct FoundFile {
    std::wstring path;
    uint64_t size = 0;
    uint64_t writeTime = 0;  // FILETIME units
};

// The library file that TOVELINK_ITUNES_LIBRARY names, else the usual places in the user's music
// folder; empty when none exists.
std::wstring FindItunesLibrary();

// True for the file name extensions of the audio formats the service stores.
bool IsAudioFileName(const std::wstring& name);

struct ScanResult {
    std::vector<FoundFile> files;
    bool stopped = false;
};

// Every audio file of the sources, each once, at most kMaxScannedFiles, folders at most 32 deep;
// links to folders are not followed.
constexpr size_t kMaxScannedFiles = 100000;
[[nodiscard]] ScanResult ScanSources(const MusicSources& sources, const StopSignal& stop);

}  // namespace tovelink
