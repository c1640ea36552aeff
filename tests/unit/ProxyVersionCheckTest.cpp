// The update check behind the user's own proxy setting (the one the browser uses), with a proxy on
// this machine that records what it is asked and answers with a version document of its own.
#include "GUI/ProxyRoute.h"
#include "GUI/UpdateCheck.h"
#include "GUI/VersionDocument.h"
#include "LocalHttpServer.h"
#include "RecordingUpdateHost.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tests;

namespace {

const wchar_t kConnectionsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
const wchar_t kSettingsValue[] = L"DefaultConnectionSettings";

// Flags of the per-user connection settings.
constexpr DWORD kDirect = 1;
constexpr DWORD kProxy = 2;
constexpr DWORD kScript = 4;
constexpr DWORD kDetect = 8;

struct ProxySetting {
    DWORD flags;
    std::string proxy;
    std::string bypass;
    std::string script;
};

// The user's connection settings record: version, counter, flags, then three counted texts.
std::string SettingsRecord(const ProxySetting& setting) {
    std::string record;
    const auto word = [&record](DWORD value) { record.append(reinterpret_cast<const char*>(&value), sizeof value); };
    word(0x46);
    word(1);
    word(setting.flags);
    for (const std::string* text : {&setting.proxy, &setting.bypass, &setting.script}) {
        word(static_cast<DWORD>(text->size()));
        record += *text;
    }
    record.append(32, '\0');
    return record;
}

// Writes the user's proxy setting for as long as it lives, then puts back what was there.
class ScopedProxySetting {
public:
    explicit ScopedProxySetting(const ProxySetting& setting) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kConnectionsKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = 0;
        if (RegQueryValueExW(key_, kSettingsValue, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            had_ = RegQueryValueExW(key_, kSettingsValue, nullptr, &type_, saved_.data(), &size) == ERROR_SUCCESS;
            saved_.resize(size);
        }
        const std::string record = SettingsRecord(setting);
        written_ = RegSetValueExW(key_, kSettingsValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(record.data()),
                                  static_cast<DWORD>(record.size())) == ERROR_SUCCESS;
    }
    ~ScopedProxySetting() {
        if (!key_) return;
        if (had_)
            RegSetValueExW(key_, kSettingsValue, 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
        else
            RegDeleteValueW(key_, kSettingsValue);
        RegCloseKey(key_);
    }
    ScopedProxySetting(const ScopedProxySetting&) = delete;
    ScopedProxySetting& operator=(const ScopedProxySetting&) = delete;

    bool Written() const { return written_; }

private:
    HKEY key_ = nullptr;
    bool had_ = false;
    DWORD type_ = REG_BINARY;
    std::vector<BYTE> saved_;
    bool written_ = false;
};

std::string Offer(const std::string& rootAttributes) {
    return "<?xml version=\"1.0\"?><Command Status=\"succeed\" " + rootAttributes +
           "><SoftwareVersion Version=\"1.0.6000\"/></Command>";
}

// A check of `server`:`port` whose documents read the user's proxy setting themselves.
class AddressedHost : public RecordingHost {
public:
    AddressedHost(std::string server, uint16_t port) : RecordingHost(port), server_(std::move(server)), port_(port) {
        makeDocument = [] {
            TVersionFetchLimits limits;
            limits.proxyDiscovery = TProxyDiscovery::UserSetting;
            return CreateVersionDocument(limits);
        };
    }
    std::wstring RequestAddress() const override { return VersionRequestAddress(server_, port_, OwnVersion()); }

private:
    std::string server_;
    uint16_t port_;
};

std::string FirstLine(const std::string& head) { return head.substr(0, head.find("\r\n")); }

std::string RequestLine(const std::string& server, uint16_t port) {
    return "GET http://" + server + ":" + std::to_string(port) +
           "/TovelinkSoftwareVersion?softwarename=tovelink&currentversion=1.0.5233 HTTP/1.1";
}

class ProxyVersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(proxy.Port(), 0);
        ASSERT_NE(direct.Port(), 0);
        ASSERT_NE(script.Port(), 0);
        // The proxy's answer makes the upgrade mandatory, the server's offers it: what is announced
        // shows who answered.
        proxy.Respond(200, Offer("ForceUpgrade=\"true\""));
        direct.Respond(200, Offer(""));
    }

    // One whole check as the timer drives it. False when it never ended.
    static bool RunCheck(RecordingHost& host) {
        VersionCheckStep(host);
        if (!host.document) return false;
        const DWORD start = GetTickCount();
        while (host.document && GetTickCount() - start < 20000) {
            Sleep(10);
            VersionCheckStep(host);
        }
        return !host.document;
    }

    std::string ProxyAt() const { return "127.0.0.1:" + std::to_string(proxy.Port()); }

    LocalHttpServer proxy;
    LocalHttpServer direct;
    LocalHttpServer script;  // serves the proxy configuration script
};

}  // namespace

TEST_F(ProxyVersionCheckTest, TheRequestTakesTheWayTheUsersSettingGives) {
    // Never resolved here: only a proxy can answer for it.
    const std::string remote = "versions.tonalix.invalid";
    HttpAnswer pac;
    pac.contentType = "application/x-ns-proxy-autoconfig";
    pac.body = "function FindProxyForURL(url, host) { if (host == \"localhost\") return \"DIRECT\"; "
               "return \"PROXY " + ProxyAt() + "\"; }";
    script.SetAnswer(pac);
    const std::string scriptUrl = "http://127.0.0.1:" + std::to_string(script.Port()) + "/proxy.pac";
    const std::string refusedScript = "http://127.0.0.1:" + std::to_string(LocalHttpServer::UnusedPort()) + "/x.pac";

    enum Way { ThroughProxy, Direct };
    const struct {
        const char* name;
        ProxySetting setting;
        std::string server;
        uint16_t port;
        Way way;
    } cases[] = {
        {"a fixed proxy", {kDirect | kProxy, ProxyAt(), "", ""}, remote, 8080, ThroughProxy},
        {"a proxy for each scheme", {kDirect | kProxy, "http=" + ProxyAt() + ";https=127.0.0.1:1", "", ""}, remote,
         8080, ThroughProxy},
        {"a proxy for other schemes only", {kDirect | kProxy, "https=" + ProxyAt(), "", ""}, "localhost",
         direct.Port(), Direct},
        {"a fixed proxy with a bypass list naming other hosts",
         {kDirect | kProxy, ProxyAt(), "*.example.com;<local>", ""}, remote, 8080, ThroughProxy},
        {"a host without a dot bypasses with <local>",
         {kDirect | kProxy, ProxyAt(), "*.example.com;<local>", ""}, "localhost", direct.Port(), Direct},
        {"a host named in the bypass list", {kDirect | kProxy, ProxyAt(), "*.example.com;127.0.0.1", ""},
         "127.0.0.1", direct.Port(), Direct},
        {"no proxy set", {kDirect, "", "", ""}, "localhost", direct.Port(), Direct},
        {"a configuration script naming the proxy", {kDirect | kScript, "", "", scriptUrl}, remote, 8080, ThroughProxy},
        {"a configuration script saying direct", {kDirect | kScript, "", "", scriptUrl}, "localhost", direct.Port(),
         Direct},
        {"a script that cannot be fetched, and a fixed proxy", {kDirect | kScript | kProxy, ProxyAt(), "", refusedScript},
         remote, 8080, ThroughProxy},
        {"a script that cannot be fetched and nothing else", {kDirect | kScript, "", "", refusedScript}, "localhost",
         direct.Port(), Direct},
        {"automatic detection that finds nothing", {kDirect | kDetect, "", "", ""}, "localhost", direct.Port(),
         Direct},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedProxySetting setting(c.setting);
        ASSERT_TRUE(setting.Written());
        const size_t proxyBefore = proxy.Requests().size();
        const size_t directBefore = direct.Requests().size();
        AddressedHost host(c.server, c.port);
        ASSERT_TRUE(RunCheck(host)) << "the check ends";

        const std::vector<std::string> proxied = proxy.Requests();
        ASSERT_EQ(proxied.size(), proxyBefore + (c.way == ThroughProxy ? 1 : 0));
        EXPECT_EQ(direct.Requests().size(), directBefore + (c.way == Direct ? 1 : 0));
        if (c.way == ThroughProxy) {
            EXPECT_EQ(FirstLine(proxied.back()), RequestLine(c.server, c.port)) << "the proxy is asked for the address";
            EXPECT_TRUE(host.required) << "the proxy's answer is evaluated";
            EXPECT_EQ(host.logouts, 1);
        } else {
            EXPECT_TRUE(host.available);
            EXPECT_FALSE(host.required);
        }
    }
}

TEST_F(ProxyVersionCheckTest, AProxyThatCannotBeReachedFailsTheCheckSilentlyWithoutGoingDirect) {
    const ScopedProxySetting setting(
        {kDirect | kProxy, "127.0.0.1:" + std::to_string(LocalHttpServer::UnusedPort()), "", ""});
    ASSERT_TRUE(setting.Written());
    AddressedHost host("localhost", direct.Port());
    ASSERT_TRUE(RunCheck(host)) << "the check ends";
    EXPECT_TRUE(direct.Requests().empty()) << "the server is not asked past the proxy";
    EXPECT_TRUE(host.balloons.empty());
    EXPECT_FALSE(host.available);
    EXPECT_TRUE(host.timer.Enabled());
    EXPECT_EQ(host.timer.Interval(), kVersionCheckIntervalMs) << "the next check two hours later";
}
