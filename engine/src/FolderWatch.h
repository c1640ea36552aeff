// Change notifications for the music sources, so new files are noticed without polling.
#pragma once

#include "MusicScan.h"

#include <windows.h>

#include <vector>

namespace tovelink {

class ChangeNotification {
public:
    explicit ChangeNotification(HANDLE handle) : handle_(handle) {}
    ~ChangeNotification() {
        if (handle_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(handle_);
    }
    ChangeNotification(ChangeNotification&& other) noexcept : handle_(other.handle_) {
        other.handle_ = INVALID_HANDLE_VALUE;
    }
    ChangeNotification& operator=(ChangeNotification&&) = delete;
    ChangeNotification(const ChangeNotification&) = delete;
    ChangeNotification& operator=(const ChangeNotification&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

class FolderWatch {
public:
    // At most this many handles, so they fit one wait with the engine's own two.
    static constexpr size_t kMaxHandles = MAXIMUM_WAIT_OBJECTS - 2;

    // Watches the roots (with their subfolders) or the library file's folder; does nothing when
    // the sources are those already watched.
    void Watch(const MusicSources& sources);
    void Clear();
    std::vector<HANDLE> Handles() const;
    // Called after handle `index` was signalled, to hear of the next change.
    void Rearm(size_t index);

private:
    bool watching_ = false;
    MusicSources watched_;
    std::vector<ChangeNotification> handles_;
};

}  // namespace tovelink
