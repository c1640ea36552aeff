#include "ui/Timer.h"

namespace ui {

void Timer::SetOwner(HWND owner) {
    Stop();
    owner_ = owner;
    if (enabled_) Start();
}

void Timer::SetInterval(UINT milliseconds) {
    if (interval_ == milliseconds) return;
    interval_ = milliseconds;
    if (enabled_) Start();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (enabled) Start();
    else Stop();
}

void Timer::Start() {
    if (owner_ && interval_ > 0) SetTimer(owner_, id_, interval_, nullptr);
}

void Timer::Stop() {
    if (owner_) KillTimer(owner_, id_);
}

bool Timer::Dispatch(UINT_PTR id) {
    if (id != id_) return false;
    if (enabled_ && OnTimer) OnTimer();
    return true;
}

}  // namespace ui
