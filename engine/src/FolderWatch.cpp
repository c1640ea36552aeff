#include "FolderWatch.h"

namespace tovelink {

namespace {

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

}  // namespace

void FolderWatch::Watch(const MusicSources& sources) {
    if (watching_ && sources == watched_) return;
    Clear();
    watching_ = true;
    watched_ = sources;
    std::vector<std::pair<std::wstring, BOOL>> folders;
    if (sources.itunes) {
        size_t slash = sources.itunesLibrary.find_last_of(L"\\/");
        if (slash != std::wstring::npos) folders.push_back({sources.itunesLibrary.substr(0, slash), FALSE});
    } else {
        for (const std::wstring& root : sources.roots) folders.push_back({root, TRUE});
    }
    for (const auto& [folder, subtree] : folders) {
        if (handles_.size() >= kMaxHandles) break;
        // A folder that does not exist (yet) is found by the periodic scan instead.
        HANDLE handle = FindFirstChangeNotificationW(folder.c_str(), subtree, kChanges);
        if (handle != INVALID_HANDLE_VALUE) handles_.emplace_back(handle);
    }
}

void FolderWatch::Clear() {
    handles_.clear();
    watching_ = false;
}

std::vector<HANDLE> FolderWatch::Handles() const {
    std::vector<HANDLE> handles;
    for (const ChangeNotification& notification : handles_) handles.push_back(notification.Get());
    return handles;
}

void FolderWatch::Rearm(size_t index) {
    if (index < handles_.size()) FindNextChangeNotification(handles_[index].Get());
}

}  // namespace tovelink
