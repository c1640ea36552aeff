// A window timer delivered to its owner window, which passes WM_TIMER on through Dispatch.
#pragma once

#include <windows.h>

#include <functional>

namespace ui {

class Timer {
public:
    Timer(HWND owner, UINT_PTR id) : owner_(owner), id_(id) {}
    // The window whose WM_TIMER carries the ticks; set once that window exists.
    void SetOwner(HWND owner);
    ~Timer() { Stop(); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void SetInterval(UINT milliseconds);
    UINT Interval() const { return interval_; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    UINT_PTR Id() const { return id_; }

    // Returns true when the WM_TIMER identifier was this timer's.
    bool Dispatch(UINT_PTR id);
    std::function<void()> OnTimer;

private:
    void Start();
    void Stop();
    HWND owner_;
    UINT_PTR id_;
    UINT interval_ = 1000;
    bool enabled_ = false;
};

}  // namespace ui
