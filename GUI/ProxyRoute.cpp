#include "GUI/ProxyRoute.h"

#include "core/ProxyList.h"

namespace {

// WinHTTP hands its proxy texts over to the caller, who frees them with GlobalFree.
class ScopedGlobalText {
public:
    ScopedGlobalText() = default;
    ~ScopedGlobalText() {
        if (text_) GlobalFree(text_);
    }
    ScopedGlobalText(const ScopedGlobalText&) = delete;
    ScopedGlobalText& operator=(const ScopedGlobalText&) = delete;

    LPWSTR* Put() {
        if (text_) GlobalFree(text_);
        text_ = nullptr;
        return &text_;
    }
    LPCWSTR Get() const { return text_; }
    std::wstring Text() const { return text_ ? std::wstring(text_) : std::wstring(); }
    bool Empty() const { return !text_ || !*text_; }

private:
    LPWSTR text_ = nullptr;
};

struct UserProxyConfig {
    bool autoDetect = false;
    ScopedGlobalText autoConfigUrl;
    ScopedGlobalText proxy;
    ScopedGlobalText bypass;

    // False when the user has no setting that can be read; nothing is then set.
    [[nodiscard]] bool Read() {
        WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
        const BOOL read = WinHttpGetIEProxyConfigForCurrentUser(&config);
        // Owned from here, whatever the result says.
        *autoConfigUrl.Put() = config.lpszAutoConfigUrl;
        *proxy.Put() = config.lpszProxy;
        *bypass.Put() = config.lpszProxyBypass;
        if (!read) return false;
        autoDetect = config.fAutoDetect != FALSE;
        return true;
    }
};

TProxyRoute Direct() { return TProxyRoute(); }

std::wstring SchemeOf(const std::wstring& address) {
    const size_t mark = address.find(L"://");
    return mark == std::wstring::npos ? std::wstring(L"http") : address.substr(0, mark);
}

// The list's proxy for the address's scheme; direct when the list names none for it.
TProxyRoute Through(const std::wstring& address, const std::wstring& proxyList, std::wstring bypass) {
    TProxyRoute route;
    route.proxy = core::ProxyForScheme(proxyList, SchemeOf(address));
    route.direct = route.proxy.empty();
    if (!route.direct) route.bypass = std::move(bypass);
    return route;
}

// One automatic way to find the proxy: detection, or the script at `scriptUrl`. False when it
// gave no answer.
[[nodiscard]] bool AskAutomaticProxy(HINTERNET resolver, const std::wstring& address, DWORD flags,
                                     LPCWSTR scriptUrl, TProxyRoute& route) {
    WINHTTP_AUTOPROXY_OPTIONS options{};
    options.dwFlags = flags;
    if (flags & WINHTTP_AUTOPROXY_AUTO_DETECT)
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    options.lpszAutoConfigUrl = scriptUrl;
    WINHTTP_PROXY_INFO info{};
    const BOOL found = WinHttpGetProxyForUrl(resolver, address.c_str(), &options, &info);
    ScopedGlobalText proxy;
    ScopedGlobalText bypass;
    *proxy.Put() = info.lpszProxy;
    *bypass.Put() = info.lpszProxyBypass;
    if (!found) return false;
    route = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY ? Through(address, proxy.Text(), bypass.Text())
                                                                 : Direct();
    return true;
}

}  // namespace

TProxyRoute UserProxyRoute(const std::wstring& address, DWORD timeoutMs) {
    UserProxyConfig config;
    if (!config.Read()) return Direct();
    if (config.autoDetect || !config.autoConfigUrl.Empty()) {
        // The script itself is fetched directly.
        const ScopedInternet resolver(
            WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (resolver) {
            const int timeout = static_cast<int>(timeoutMs);
            (void)WinHttpSetTimeouts(resolver.Get(), timeout, timeout, timeout, timeout);
            TProxyRoute route;
            if (config.autoDetect &&
                AskAutomaticProxy(resolver.Get(), address, WINHTTP_AUTOPROXY_AUTO_DETECT, nullptr, route))
                return route;
            if (!config.autoConfigUrl.Empty() &&
                AskAutomaticProxy(resolver.Get(), address, WINHTTP_AUTOPROXY_CONFIG_URL, config.autoConfigUrl.Get(),
                                  route))
                return route;
        }
    }
    // As the browser does: when the automatic ways give no answer, the fixed proxy applies.
    if (!config.proxy.Empty()) return Through(address, config.proxy.Text(), config.bypass.Text());
    return Direct();
}

ScopedInternet OpenSessionFor(const std::wstring& address, TProxyDiscovery discovery, DWORD timeoutMs) {
    if (discovery == TProxyDiscovery::System) {
        // Systems before Windows 8.1 refuse this access type.
        ScopedInternet session(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                           WINHTTP_NO_PROXY_BYPASS, 0));
        if (session) return session;
    }
    const TProxyRoute route = UserProxyRoute(address, timeoutMs);
    if (route.direct)
        return ScopedInternet(
            WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    // WinHTTP matches the bypass list itself, "<local>" included.
    return ScopedInternet(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, route.proxy.c_str(),
                                      route.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : route.bypass.c_str(), 0));
}
