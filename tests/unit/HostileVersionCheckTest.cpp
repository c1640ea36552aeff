// Hostile version documents and a misbehaving version server, served on this machine to the real
// update check (the fetch on its worker thread and the platform's XML DOM): every check ends
// silently, shows nothing, and the next check still runs and still announces a real release.
#include "GUI/UpdateCheck.h"
#include "GUI/VersionDocument.h"
#include "GUI/VersionInfo.h"
#include "LocalHttpServer.h"
#include "MainWindowFixture.h"
#include "RecordingUpdateHost.h"
#include "WidgetShellRecorder.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace tests;

namespace {

const std::string kNewerRelease =
    "<?xml version=\"1.0\"?><Command Status=\"succeed\"><SoftwareVersion Version=\"1.0.6000\"/></Command>";

// The corpus beside this source file (tests/fixtures/hostile); a path that starts with '/' is on
// Wine's Z: drive.
std::wstring HostileFolder() {
    std::string here = __FILE__;
    here = here.substr(0, here.find_last_of("/\\") + 1) + "../fixtures/hostile/";
    std::wstring folder(here.begin(), here.end());
    for (wchar_t& c : folder)
        if (c == L'/') c = L'\\';
    return folder[0] == L'\\' ? L"Z:" + folder : folder;
}

std::vector<std::wstring> HostileFiles() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((HostileFolder() + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() > 3 &&
            name.compare(name.size() - 3, 3, L".py") != 0)
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Answers every request with 10 MB of garbage. The update check stops reading at its size limit;
// this server then gives up on the connection instead of waiting on it for ever.
class GarbageServer {
public:
    GarbageServer() : body_(10 * 1024 * 1024, '\0') {
        std::mt19937 random(99);
        for (char& c : body_) c = static_cast<char>(random() & 0xFF);
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) || listen(listener_, 4))
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~GarbageServer() {
        if (listener_ != INVALID_SOCKET) closesocket(listener_);
        if (thread_.joinable()) thread_.join();
        if (started_) WSACleanup();
    }
    GarbageServer(const GarbageServer&) = delete;
    GarbageServer& operator=(const GarbageServer&) = delete;
    uint16_t Port() const { return port_; }

private:
    void Serve() {
        for (;;) {
            const SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            const DWORD timeoutMs = 2000;
            setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof(timeoutMs));
            setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof(timeoutMs));
            std::string head;
            char buffer[2048];
            while (head.find("\r\n\r\n") == std::string::npos) {
                const int received = recv(client, buffer, sizeof(buffer), 0);
                if (received <= 0) break;
                head.append(buffer, static_cast<size_t>(received));
            }
            const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                                       std::to_string(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_;
            for (size_t sent = 0; sent < answer.size();) {
                const int chunk = static_cast<int>(std::min<size_t>(answer.size() - sent, 65536));
                const int n = send(client, answer.data() + sent, chunk, 0);
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
            closesocket(client);
        }
    }

    std::string body_;
    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    std::thread thread_;
};

class HostileVersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(server.Port(), 0); }

    // One whole check as the timer drives it: the tick that starts the request, then a tick every
    // 10 ms until the document is gone. False when it never ended.
    static bool RunCheck(RecordingHost& host, DWORD timeoutMs = 20000) {
        VersionCheckStep(host);
        if (!host.document) return false;
        const DWORD start = GetTickCount();
        while (host.document && GetTickCount() - start < timeoutMs) {
            Sleep(10);
            VersionCheckStep(host);
        }
        return !host.document;
    }

    // The check ended silently: nothing shown, the next one two hours later.
    static void ExpectSilent(const RecordingHost& host) {
        EXPECT_TRUE(host.balloons.empty());
        EXPECT_FALSE(host.available);
        EXPECT_FALSE(host.required);
        EXPECT_FALSE(host.flagShown);
        EXPECT_EQ(host.logouts, 0);
        EXPECT_TRUE(host.timer.Enabled());
        EXPECT_EQ(host.timer.Interval(), kVersionCheckIntervalMs);
    }

    // A later check still runs and still announces a newer release.
    void ExpectNextCheckAnnounces(RecordingHost& host) {
        server.Respond(200, kNewerRelease);
        ASSERT_TRUE(RunCheck(host));
        EXPECT_EQ(host.balloons.size(), 1u);
        EXPECT_TRUE(host.available);
    }

    LocalHttpServer server;
};

}  // namespace

TEST_F(HostileVersionCheckTest, EveryHostileDocumentEndsTheCheckSilently) {
    const std::vector<std::wstring> files = HostileFiles();
    ASSERT_GE(files.size(), 20u) << "the corpus in " << Narrow(HostileFolder());
    RecordingHost host(server.Port());
    for (const std::wstring& name : files) {
        SCOPED_TRACE(Narrow(name));
        server.Respond(200, ReadFile(HostileFolder() + name));
        ASSERT_TRUE(RunCheck(host)) << "the check ends";
        ExpectSilent(host);
    }
    ExpectNextCheckAnnounces(host);
}

TEST_F(HostileVersionCheckTest, AMisbehavingServerEndsTheCheckSilently) {
    GarbageServer garbage;
    ASSERT_NE(garbage.Port(), 0);
    HttpAnswer error;
    error.status = 500;
    error.body = kNewerRelease;
    HttpAnswer hang;
    hang.kind = HttpAnswer::Kind::NeverAnswer;
    // The server sends no headers of its own choosing: the redirect's Location rides behind the
    // content type. It points back at the same address, for ever.
    HttpAnswer redirectLoop;
    redirectLoop.status = 302;
    redirectLoop.contentType = "text/plain\r\nLocation: http://127.0.0.1:" + std::to_string(server.Port()) +
                               "/TovelinkSoftwareVersion?softwarename=tovelink&currentversion=1.0.5233";
    HttpAnswer closed;
    closed.kind = HttpAnswer::Kind::CloseSilently;

    const struct {
        const char* name;
        HttpAnswer answer;  // of the local server, unless another port is asked
        uint16_t port;
    } cases[] = {
        {"refused", {}, LocalHttpServer::UnusedPort()},
        {"500 with a newer release", error, server.Port()},
        {"10 MB of garbage", {}, garbage.Port()},
        {"redirect loop", redirectLoop, server.Port()},
        {"closed without an answer", closed, server.Port()},
        {"hangs", hang, server.Port()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.SetAnswer(c.answer);
        const size_t requestsBefore = server.Requests().size();
        RecordingHost host(c.port);
        const DWORD start = GetTickCount();
        // A hanging server is given up on by the fetch's own time-outs, well within a minute.
        ASSERT_TRUE(RunCheck(host, 60000)) << "the check ends";
        ExpectSilent(host);
        if (c.answer.status == 302) {
            EXPECT_GT(server.Requests().size(), requestsBefore + 2) << "the redirect was followed";
            EXPECT_LT(GetTickCount() - start, 10000u) << "and given up on at once";
        }
        RecordingHost next(server.Port());
        ExpectNextCheckAnnounces(next);
    }
}

namespace {

// The real main window's own timer, asking a server on this machine.
class HostileMainWindowTest : public MainWindowTest {
protected:
    StoredConfig Stored() const override {
        StoredConfig config;
        config.serverAddress = "127.0.0.1";
        config.serverPort = server.Port();
        return config;
    }
    void SetUp() override {
        ASSERT_NE(server.Port(), 0);
        ProgramVersion = std::make_unique<TVersionInfo>();
        MainWindowTest::SetUp();
        form->TrayIcon = std::make_unique<TCoolTrayIcon>(form->Handle(), shell.Function());
        form->TrayIcon->SetIconVisible(true);
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        ProgramVersion.reset();
    }

    // Runs the window's timers until `requests` requests were answered and evaluated.
    bool PumpUntilChecked(size_t requests) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000) {
            Pump(20);
            if (server.Requests().size() >= requests && !form->VersionXML) return true;
        }
        return false;
    }

    size_t Balloons() const {
        size_t count = 0;
        for (const widget_test::ShellCall& call : shell.calls)
            if (call.message == NIM_MODIFY && (call.data.uFlags & NIF_INFO) && !call.Info().empty()) ++count;
        return count;
    }

    LocalHttpServer server;
    widget_test::ShellRecorder shell;
};

}  // namespace

TEST_F(HostileMainWindowTest, AnEntityBombShowsNothingAndTheNextCheckStillRuns) {
    server.Respond(200, ReadFile(HostileFolder() + L"billion_laughs.xml"));
    ASSERT_TRUE(PumpUntilChecked(1));
    EXPECT_EQ(Balloons(), 0u);
    EXPECT_FALSE(form->SWUpdateImage.Visible());
    EXPECT_FALSE(form->SoftwareUpdateAvailable);
    EXPECT_EQ(form->VersionCheckTimer.Interval(), kVersionCheckIntervalMs);
    EXPECT_TRUE(form->VersionCheckTimer.Enabled());

    // Two hours on, the same timer asks again.
    server.Respond(200, kNewerRelease);
    form->VersionCheckTimer.SetInterval(kFirstVersionCheckDelayMs);
    ASSERT_TRUE(PumpUntilChecked(2));
    EXPECT_EQ(Balloons(), 1u);
    EXPECT_TRUE(form->SoftwareUpdateAvailable);
}
