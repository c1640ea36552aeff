#include "core/ProxyList.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

TEST(ProxyList, TheProxyForARequestScheme) {
    const struct {
        const wchar_t* list;
        const wchar_t* expected;  // for "http"
    } cases[] = {
        {L"proxy:3128", L"proxy:3128"},
        {L"http=web:80;https=secure:443;ftp=files:21", L"web:80"},
        {L"HTTP=web:80", L"web:80"},                       // scheme names in any letter case
        {L"https=secure:443;socks=sock:1080", L""},          // none for http: direct
        {L"https=secure:443;any:8080", L"any:8080"},         // the entry for every scheme
        {L"any:8080;http=web:80", L"web:80"},                // the scheme's own entry wins
        {L"first:1;second:2", L"first:1"},                   // a list: the first
        {L" http=web:80 https=secure:443 ", L"web:80"},      // blanks separate too
        {L"http=http://web:80", L"web:80"},
        {L"http://plain:3128", L"plain:3128"},
        {L"http=;fallback:1", L"fallback:1"},                // an empty entry counts as none
        {L";;", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list, c.list + std::wcslen(c.list)));
        EXPECT_EQ(core::ProxyForScheme(c.list, L"http"), c.expected);
    }
}

}  // namespace
