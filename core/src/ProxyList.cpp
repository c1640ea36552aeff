#include "core/ProxyList.h"

namespace core {

namespace {

bool IsSeparator(wchar_t c) { return c == L';' || c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

std::wstring_view WithoutSchemePrefix(std::wstring_view server) {
    const size_t mark = server.find(L"://");
    return mark == std::wstring_view::npos ? server : server.substr(mark + 3);
}

}  // namespace

std::wstring ProxyForScheme(std::wstring_view proxyList, std::wstring_view scheme) {
    std::wstring_view forAll;
    size_t at = 0;
    while (at < proxyList.size()) {
        while (at < proxyList.size() && IsSeparator(proxyList[at])) ++at;
        size_t end = at;
        while (end < proxyList.size() && !IsSeparator(proxyList[end])) ++end;
        const std::wstring_view entry = proxyList.substr(at, end - at);
        at = end;
        if (entry.empty()) continue;
        const size_t equals = entry.find(L'=');
        if (equals == std::wstring_view::npos) {
            if (forAll.empty()) forAll = WithoutSchemePrefix(entry);
        } else if (EqualIgnoringAsciiCase(entry.substr(0, equals), scheme)) {
            const std::wstring_view server = WithoutSchemePrefix(entry.substr(equals + 1));
            if (!server.empty()) return std::wstring(server);
        }
    }
    return std::wstring(forAll);
}

}  // namespace core
