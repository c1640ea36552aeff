// Reading the proxy list of the user's proxy setting: one proxy for every scheme ("host:port"), or
// one per scheme ("http=host:port;https=host:port").
#pragma once

#include <string>
#include <string_view>

namespace core {

// The proxy for requests of `scheme` ("http"): the entry named for that scheme, else the first
// entry named for none; empty when the list has neither, so the request goes direct. Entries are
// separated by semicolons or blanks; a "scheme://" before the server is dropped.
std::wstring ProxyForScheme(std::wstring_view proxyList, std::wstring_view scheme);

}  // namespace core
