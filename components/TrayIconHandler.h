// The process-wide hidden window that receives the shell's callbacks for every notification-area
// icon, created with the first icon and destroyed with the last.
#pragma once

#include "ui/Window.h"

class TCoolTrayIcon;

class TTrayIconHandler : public ui::Window {
public:
    // Registers a living icon (creating the window for the first) and returns its identifier,
    // which is never reused within the process.
    static UINT Add(TCoolTrayIcon* icon);
    // Forgets the icon; the window goes with the last one.
    static void Remove(UINT id);
    // The living icon with this identifier, or null (a stale identifier finds nothing).
    static TCoolTrayIcon* Find(UINT id);

    static HWND WindowHandle();
    static unsigned RefCount();
    // The shell's "TaskbarCreated" message, broadcast when the notification area is rebuilt.
    static UINT TaskbarCreatedMessage();
    // The icon whose popup menu this window owns now (0: none); its owner hears the menu's
    // notifications, so it can prepare the items as for a menu of its own.
    static void SetPopupIcon(UINT id);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnTrayCallback(UINT id, UINT event);
    // Hands a menu notification to the popup icon's owner; false when there is none.
    bool ForwardMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnTaskbarCreated();
};
