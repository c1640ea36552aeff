#include "components/SimpleTimer.h"

#include "ui/MessageWindow.h"

#include <map>
#include <memory>

// The hidden window every TSimpleTimer ticks through, created by the first timer and destroyed
// with the last. Ticks find their timer through a registry keyed by identifier, so a tick that
// arrives for a timer already gone is dropped.
class TSimpleTimerHandler : public ui::MessageWindow {
public:
    static UINT_PTR AddTimer(TSimpleTimer* timer) {
        if (!instance_) {
            auto handler = std::make_unique<TSimpleTimerHandler>();
            if (handler->CreateMessageWindow(L"TSimpleTimerHandler")) instance_ = std::move(handler);
        }
        const UINT_PTR id = nextId_++;
        timers_[id] = timer;
        return id;
    }

    static void RemoveTimer(UINT_PTR id) {
        timers_.erase(id);
        // The last timer may go from inside a tick; nothing touches the window after a tick.
        if (timers_.empty()) instance_.reset();
    }

    static HWND WindowHandle() { return instance_ ? instance_->Handle() : nullptr; }
    static unsigned ActiveCount() { return activeCount_; }
    static void TimerStarted() { ++activeCount_; }
    static void TimerStopped() {
        if (activeCount_ > 0) --activeCount_;
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_TIMER) return DefaultHandling(message, wParam, lParam);
        OnTimerMessage(static_cast<UINT_PTR>(wParam));
        return 0;
    }

private:
    void OnTimerMessage(UINT_PTR id) {
        const auto found = timers_.find(id);
        if (found == timers_.end()) {
            KillTimer(Handle(), id);
            return;
        }
        found->second->Tick();
    }

    static std::unique_ptr<TSimpleTimerHandler> instance_;
    static std::map<UINT_PTR, TSimpleTimer*> timers_;
    static UINT_PTR nextId_;
    static unsigned activeCount_;
};

std::unique_ptr<TSimpleTimerHandler> TSimpleTimerHandler::instance_;
std::map<UINT_PTR, TSimpleTimer*> TSimpleTimerHandler::timers_;
UINT_PTR TSimpleTimerHandler::nextId_ = 1;
unsigned TSimpleTimerHandler::activeCount_ = 0;

TSimpleTimer::TSimpleTimer() : FId(TSimpleTimerHandler::AddTimer(this)) {}

TSimpleTimer::TSimpleTimer(UINT interval, TimerEvent onTimer)
    : FId(TSimpleTimerHandler::AddTimer(this)), FInterval(interval), FOnTimer(std::move(onTimer)) {}

TSimpleTimer::~TSimpleTimer() {
    Stop();
    TSimpleTimerHandler::RemoveTimer(FId);
}

void TSimpleTimer::SetEnabled(bool enabled) {
    if (enabled) {
        Start();
    } else {
        Stop();
    }
}

void TSimpleTimer::SetInterval(UINT interval) {
    if (interval == FInterval) return;
    FInterval = interval;
    if (FEnabled) Start();
}

void TSimpleTimer::SetOnTimer(TimerEvent onTimer) {
    FOnTimer = std::move(onTimer);
    if (!FOnTimer) Stop();
}

unsigned TSimpleTimer::ActiveCount() { return TSimpleTimerHandler::ActiveCount(); }

HWND TSimpleTimer::SharedWindow() { return TSimpleTimerHandler::WindowHandle(); }

void TSimpleTimer::Start() {
    if (FInterval == 0) {
        // The system would run a zero period at its minimum instead of not at all.
        Stop();
        return;
    }
    const HWND window = TSimpleTimerHandler::WindowHandle();
    // Setting an existing identifier again replaces the timer and restarts its period.
    const bool started = window && SetTimer(window, FId, FInterval, nullptr) != 0;
    if (started && !FEnabled) TSimpleTimerHandler::TimerStarted();
    if (!started) Stop();
    FEnabled = started;
}

void TSimpleTimer::Stop() {
    const bool wasRunning = FEnabled;
    FEnabled = false;
    if (const HWND window = TSimpleTimerHandler::WindowHandle()) KillTimer(window, FId);
    if (wasRunning) TSimpleTimerHandler::TimerStopped();
}

void TSimpleTimer::Tick() {
    // A tick posted before the timer was killed may still arrive.
    if (!FEnabled) return;
    if (FAutoDisable) Stop();
    // A copy, so a handler that destroys this timer does not destroy the code it is running.
    const TimerEvent handler = FOnTimer;
    if (handler) handler(*this);
}
