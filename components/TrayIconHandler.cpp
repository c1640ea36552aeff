#include "components/TrayIconHandler.h"

#include "components/CoolTrayIcon.h"

#include <map>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<TTrayIconHandler> handler;
std::map<UINT, TCoolTrayIcon*> icons;
UINT nextId = 1;
UINT popupIconId = 0;

}  // namespace

UINT TTrayIconHandler::Add(TCoolTrayIcon* icon) {
    if (!handler) {
        auto created = std::make_unique<TTrayIconHandler>();
        ui::WindowClass cls;
        cls.name = L"TTrayIconHandler";
        cls.style = 0;
        // Top-level (never shown), not message-only: it must receive the "TaskbarCreated" broadcast.
        ui::CreateArgs args;
        args.style = WS_POPUP;
        args.x = args.y = args.width = args.height = 0;
        if (created->CreateHandle(cls, args)) handler = std::move(created);
    }
    const UINT id = nextId++;
    icons[id] = icon;
    return id;
}

void TTrayIconHandler::Remove(UINT id) {
    icons.erase(id);
    // The last icon may go from inside one of the window's own callbacks; nothing touches the
    // window after a callback has run.
    if (icons.empty()) handler.reset();
}

TCoolTrayIcon* TTrayIconHandler::Find(UINT id) {
    const auto found = icons.find(id);
    return found == icons.end() ? nullptr : found->second;
}

HWND TTrayIconHandler::WindowHandle() { return handler ? handler->Handle() : nullptr; }

unsigned TTrayIconHandler::RefCount() { return static_cast<unsigned>(icons.size()); }

UINT TTrayIconHandler::TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void TTrayIconHandler::SetPopupIcon(UINT id) { popupIconId = id; }

bool TTrayIconHandler::ForwardMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const TCoolTrayIcon* icon = Find(popupIconId);
    if (!icon || !icon->owner_ || !IsWindow(icon->owner_)) return false;
    result = SendMessageW(icon->owner_, message, wParam, lParam);
    return true;
}

LRESULT TTrayIconHandler::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TrayCallbackMessage) {
        OnTrayCallback(static_cast<UINT>(wParam), static_cast<UINT>(lParam));
        return 0;
    }
    if (message != 0 && message == TaskbarCreatedMessage()) {
        OnTaskbarCreated();
        return 0;
    }
    switch (message) {
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_ENTERIDLE: {
        LRESULT result = 0;
        if (ForwardMenuMessage(message, wParam, lParam, result)) return result;
        return DefaultHandling(message, wParam, lParam);
    }
    // Nothing outside may close this window, and it never objects to the session ending.
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
        return 1;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

void TTrayIconHandler::OnTrayCallback(UINT id, UINT event) {
    if (TCoolTrayIcon* icon = Find(id)) icon->HandleIconMessage(event);
}

void TTrayIconHandler::OnTaskbarCreated() {
    // The shell restarted with an empty notification area. Identifiers, not pointers: one icon's
    // shell call may run code that destroys another.
    std::vector<UINT> ids;
    for (const auto& entry : icons) ids.push_back(entry.first);
    for (UINT id : ids) {
        if (TCoolTrayIcon* icon = Find(id)) icon->OnTaskbarCreated();
    }
}
