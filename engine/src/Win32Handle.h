// Owners of kernel handles and the stop signal that every engine thread watches.
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

namespace tovelink {

class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() { Reset(); }
    KernelHandle(KernelHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    void Reset(HANDLE handle = nullptr) {
        if (Valid()) CloseHandle(handle_);
        handle_ = handle;
    }
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = nullptr;
};

// A manual-reset event: once set, every wait on it ends at once.
class StopSignal {
public:
    StopSignal() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    void Set() {
        set_ = true;
        SetEvent(event_.Get());
    }
    // Cheap enough for a loop that checks before every event.
    bool IsSet() const { return set_; }
    // Waits up to `milliseconds`; true when the wait ended because of the stop.
    [[nodiscard]] bool WaitFor(DWORD milliseconds) const {
        return WaitForSingleObject(event_.Get(), milliseconds) == WAIT_OBJECT_0;
    }
    HANDLE Handle() const { return event_.Get(); }
    bool Valid() const { return event_.Valid(); }

private:
    KernelHandle event_;
    std::atomic<bool> set_{false};
};

}  // namespace tovelink
