// A top-level window: caption, menu, timers, and a close query that may refuse the close.
#pragma once

#include "ui/Container.h"
#include "ui/Timer.h"

#include <vector>

namespace ui {

class Form : public Container {
public:
    void Close() const { if (Handle()) SendMessageW(Handle(), WM_CLOSE, 0, 0); }
    void AddTimer(Timer* timer) { timers_.push_back(timer); }
    // Sets the outer size so that the client area below the menu bar is exactly width x height.
    void SetClientSize(int width, int height) const;
    void BringToForeground() const;
    // The scale the window is laid out for.
    int Dpi() const { return dpi_; }
    void RepaintAll() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Asked on every close; false keeps the window (it may hide itself instead).
    virtual bool CloseQuery() { return true; }
    virtual void OnMenuCommand(UINT id) {}
    virtual void OnActivate(bool active) {}
    // Takes the scale of the monitor the new window is on; called once after creation.
    void AdoptWindowDpi();
    // The window moved to a monitor of another scale (Dpi() is already the new one, `previousDpi`
    // the old): lay out again. `suggested` is where the system proposes the window goes, at its
    // new size.
    virtual void OnDpiChanged(int previousDpi, const RECT& suggested);

private:
    std::vector<Timer*> timers_;
    int dpi_ = 96;
};

}  // namespace ui
