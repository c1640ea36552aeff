// The software version document of one update check: fetched in the background, then read as XML.
#pragma once

#include "GUI/ProxyRoute.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

// One element of a loaded document.
class TVersionElement {
public:
    virtual ~TVersionElement() = default;
    // The name without any namespace prefix.
    virtual std::wstring LocalName() const = 0;
    // The attribute's text; empty optional when the element has no such attribute.
    virtual std::optional<std::wstring> Attribute(const wchar_t* name) const = 0;
    // The first child element with this name, or null.
    virtual std::unique_ptr<TVersionElement> Child(const wchar_t* name) const = 0;
};

class TVersionDocument {
public:
    // Load states as the XML document service numbers them.
    static constexpr int kUninitialized = 0;
    static constexpr int kLoading = 1;
    static constexpr int kComplete = 4;

    virtual ~TVersionDocument() = default;
    // Starts loading `address` in the background; false when the load could not be started.
    [[nodiscard]] virtual bool Load(const std::wstring& address) = 0;
    // kComplete once the load has finished, whether or not it gave a document.
    virtual int ReadyState() = 0;
    // True unless the finished load produced a document with a root element.
    virtual bool Empty() const = 0;
    // The root element, or null.
    virtual std::unique_ptr<TVersionElement> Root() const = 0;
};

// Bounds of one fetch (the update check must never wait on the network without limit), and where
// its proxy comes from.
struct TVersionFetchLimits {
    DWORD resolveMs = 5000;
    DWORD connectMs = 5000;
    DWORD sendMs = 5000;
    DWORD receiveMs = 5000;
    // The whole fetch, however slowly a server trickles its answer.
    DWORD totalMs = 30000;
    // A longer body is a failed load.
    size_t maxBodyBytes = 64 * 1024;
    // Where the proxy to use comes from.
    TProxyDiscovery proxyDiscovery = TProxyDiscovery::System;
};

// An HTTP GET on a worker thread, through the user's proxy (any status but 200 is a failed load);
// the body is parsed with the platform's XML DOM on the thread that polls ReadyState. Null when
// the DOM is unavailable. Destroying the document never waits for the network: an unfinished fetch is left to end alone.
std::unique_ptr<TVersionDocument> CreateVersionDocument(const TVersionFetchLimits& limits = TVersionFetchLimits());
