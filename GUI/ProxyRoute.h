// The way to a web address that the user's own proxy setting gives: the setting the browser uses,
// not the machine-wide WinHTTP one.
#pragma once

#include "ui/GdiHandles.h"

#include <windows.h>
#include <winhttp.h>

#include <string>

struct InternetHandleTraits {
    static void Close(HINTERNET handle) { WinHttpCloseHandle(handle); }
};
using ScopedInternet = ui::UniqueHandle<HINTERNET, InternetHandleTraits>;

// A direct connection, or a proxy with the hosts that bypass it.
struct TProxyRoute {
    bool direct = true;
    std::wstring proxy;   // "host:port"
    std::wstring bypass;  // WinHTTP's bypass list ("<local>" and wildcards); empty for none
};

// How a session learns its proxy.
enum class TProxyDiscovery {
    // The system's automatic proxy (Windows 8.1 and later), else the user's setting read here.
    System,
    // Always the user's setting read here. Wine accepts the automatic proxy but ignores the user's
    // setting with it.
    UserSetting,
};

// The user's setting applied to `address`: automatic detection, then the configuration script,
// then the fixed proxy; direct when none is set or none gives an answer. Fetching the script
// waits at most `timeoutMs` per network step.
TProxyRoute UserProxyRoute(const std::wstring& address, DWORD timeoutMs);

// A session without an agent name whose requests to `address` take the user's way there.
ScopedInternet OpenSessionFor(const std::wstring& address, TProxyDiscovery discovery, DWORD timeoutMs);
