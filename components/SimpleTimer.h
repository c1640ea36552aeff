// A lightweight timer: every TSimpleTimer of the process ticks through one shared hidden window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

class TSimpleTimer {
public:
    using TimerEvent = std::function<void(TSimpleTimer& sender)>;

    // 1000 ms, stopped, no handler.
    TSimpleTimer();
    TSimpleTimer(UINT interval, TimerEvent onTimer);
    ~TSimpleTimer();
    TSimpleTimer(const TSimpleTimer&) = delete;
    TSimpleTimer& operator=(const TSimpleTimer&) = delete;

    bool Enabled() const { return FEnabled; }
    // True starts (or restarts) the period; with Interval 0, or when the system refuses a timer,
    // the timer stays stopped.
    void SetEnabled(bool enabled);
    UINT Interval() const { return FInterval; }
    // A running timer restarts with the new period; 0 stops it.
    void SetInterval(UINT interval);
    // Stop before the first tick is delivered (a one-shot timer).
    bool AutoDisable() const { return FAutoDisable; }
    void SetAutoDisable(bool autoDisable) { FAutoDisable = autoDisable; }
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t tag) { FTag = tag; }
    // An empty handler stops the timer.
    void SetOnTimer(TimerEvent onTimer);

    // The identifier the system timer carries; never reused within the process.
    UINT_PTR Id() const { return FId; }

    // Timers running in the process now.
    static unsigned ActiveCount();
    // The shared window, or null while no timer exists.
    static HWND SharedWindow();

private:
    friend class TSimpleTimerHandler;
    void Start();
    void Stop();
    void Tick();

    UINT_PTR FId;
    bool FEnabled = false;
    UINT FInterval = 1000;
    bool FAutoDisable = false;
    int32_t FTag = 0;
    TimerEvent FOnTimer;
};
