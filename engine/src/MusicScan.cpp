#include "MusicScan.h"

#include "Environment.h"
#include "ItunesLibrary.h"
#include "TextCodec.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <set>

namespace tovelink {

namespace {

constexpr int kMaxDepth = 32;
constexpr DWORD kMaxLibraryBytes = 64u << 20;
// The service keeps tracks below 2 GiB, so sizes always fit the events' 32-bit numbers.
constexpr uint64_t kMaxTrackBytes = 0x7FFFFFFF;

const wchar_t* const kAudioExtensions[] = {L".mp3", L".m4a", L".aac", L".wav", L".wma",
                                           L".ogg", L".flac", L".aif", L".aiff", L".mp4"};

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return separated ? folder + name : folder + L"\\" + name;
}

uint64_t Combine(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Folded(const std::wstring& path) {
    std::wstring folded = path;
    if (!folded.empty())
        CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}

class Scanner {
public:
    Scanner(const StopSignal& stop, ScanResult& result) : stop_(stop), result_(result) {}

    void Folder(const std::wstring& folder, int depth) {
        if (depth > kMaxDepth || Full()) return;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileExW(Join(folder, L"*").c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
        if (search == INVALID_HANDLE_VALUE) return;
        std::vector<std::wstring> subfolders;
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = Join(folder, name);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    subfolders.push_back(path);
            } else if (IsAudioFileName(name)) {
                Add(path, Combine(found.nFileSizeHigh, found.nFileSizeLow),
                    Combine(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime));
            }
        } while (!Full() && FindNextFileW(search, &found));
        FindClose(search);
        std::sort(subfolders.begin(), subfolders.end());
        for (const std::wstring& subfolder : subfolders) Folder(subfolder, depth + 1);
    }

    void File(const std::wstring& path) {
        if (Full() || !IsAudioFileName(path)) return;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return;
        Add(path, Combine(data.nFileSizeHigh, data.nFileSizeLow),
            Combine(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime));
    }

private:
    bool Full() {
        if (stop_.IsSet()) result_.stopped = true;
        return result_.stopped || result_.files.size() >= kMaxScannedFiles;
    }

    void Add(const std::wstring& path, uint64_t size, uint64_t writeTime) {
        if (size == 0 || size > kMaxTrackBytes) return;
        // Nested or repeated sources must not list a file twice.
        if (!seen_.insert(Folded(path)).second) return;
        result_.files.push_back({path, size, writeTime});
    }

    const StopSignal& stop_;
    ScanResult& result_;
    std::set<std::wstring> seen_;
};

std::string ReadLibrary(const std::wstring& path) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    if (!file.Valid()) return text;
    char buffer[65536];
    DWORD read = 0;
    while (text.size() < kMaxLibraryBytes &&
           ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

}  // namespace

bool IsAudioFileName(const std::wstring& name) {
    size_t dot = name.find_last_of(L".\\/");
    if (dot == std::wstring::npos || name[dot] != L'.') return false;
    std::wstring extension = name.substr(dot);
    for (const wchar_t* known : kAudioExtensions)
        if (CompareStringOrdinal(extension.c_str(), -1, known, -1, TRUE) == CSTR_EQUAL) return true;
    return false;
}

std::wstring FindItunesLibrary() {
    if (auto named = ReadEnvironment(L"TOVELINK_ITUNES_LIBRARY"); named && !named->empty())
        return FileExists(*named) ? *named : std::wstring();
    wchar_t music[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_MYMUSIC, nullptr, SHGFP_TYPE_CURRENT, music)))
        return {};
    for (const wchar_t* name : {L"\\iTunes\\iTunes Music Library.xml", L"\\iTunes\\iTunes Library.xml"}) {
        std::wstring path = std::wstring(music) + name;
        if (FileExists(path)) return path;
    }
    return {};
}

ScanResult ScanSources(const MusicSources& sources, const StopSignal& stop) {
    ScanResult result;
    Scanner scanner(stop, result);
    if (sources.itunes) {
        if (sources.itunesLibrary.empty()) return result;
        for (const std::string& path : ItunesTrackPaths(ReadLibrary(sources.itunesLibrary)))
            scanner.File(Utf8ToWide(path));
        return result;
    }
    for (std::wstring root : sources.roots) {
        while (root.size() > 3 && (root.back() == L'\\' || root.back() == L'/')) root.pop_back();
        scanner.Folder(root, 0);
    }
    return result;
}

}  // namespace tovelink
