#include "DemoService.h"

#include <windows.h>
#include <winhttp.h>

#include <cctype>
#include <fstream>
#include <sstream>

namespace tests {

namespace {

class Handle {
public:
    explicit Handle(HINTERNET handle) : handle_(handle) {}
    ~Handle() {
        if (handle_) WinHttpCloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HINTERNET Get() const { return handle_; }

private:
    HINTERNET handle_;
};

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), length);
    return out;
}

std::string Encode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string Field(const std::string& body, const std::string& key) {
    std::istringstream lines(body);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return {};
}

// The services' folder as this Windows process sees it (Wine maps the Unix root to Z:).
std::wstring ServicesFolder() {
    wchar_t value[1024] = {};
    DWORD length = GetEnvironmentVariableW(L"TONALIX_DEMO_SERVICES", value, 1024);
    if (length == 0 || length >= 1024) return {};
    std::wstring folder(value);
    if (!folder.empty() && folder[0] == L'/') {
        for (wchar_t& c : folder)
            if (c == L'/') c = L'\\';
        folder = L"Z:" + folder;
    }
    return folder;
}

}  // namespace

std::optional<DemoService> DemoService::Find(const std::string& kind) {
    std::wstring folder = ServicesFolder();
    if (folder.empty()) return std::nullopt;
    std::ifstream file((folder + L"\\" + Wide(kind) + L".port").c_str());
    int port = 0;
    if (!(file >> port) || port <= 0 || port > 65535) return std::nullopt;
    return DemoService(static_cast<uint16_t>(port));
}

HttpReply DemoService::Request(const wchar_t* verb, const std::string& path, const std::string& body) const {
    HttpReply reply;
    Handle session(WinHttpOpen(L"TonalixTests", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.Get()) return reply;
    WinHttpSetTimeouts(session.Get(), 5000, 5000, 10000, 10000);
    Handle connection(WinHttpConnect(session.Get(), L"127.0.0.1", port_, 0));
    if (!connection.Get()) return reply;
    Handle request(WinHttpOpenRequest(connection.Get(), verb, Wide(path).c_str(), nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (!request.Get()) return reply;
    const wchar_t* headers = L"Content-Type: application/x-www-form-urlencoded\r\n";
    if (!WinHttpSendRequest(request.Get(), headers, static_cast<DWORD>(-1L),
                            body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) ||
        !WinHttpReceiveResponse(request.Get(), nullptr))
        return reply;
    DWORD status = 0, size = sizeof status;
    WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    char buffer[8192];
    DWORD read = 0;
    while (WinHttpReadData(request.Get(), buffer, sizeof buffer, &read) && read > 0) reply.body.append(buffer, read);
    reply.status = static_cast<int>(status);
    return reply;
}

bool DemoService::Register(const std::string& email, const std::string& password) const {
    return Request(L"POST", "/api/register", "email=" + Encode(email) + "&password=" + Encode(password)).status ==
           201;
}

std::string DemoService::Login(const std::string& email, const std::string& password) const {
    HttpReply reply = Request(L"POST", "/api/login", "email=" + Encode(email) + "&password=" + Encode(password));
    return reply.status == 200 ? Field(reply.body, "token") : std::string();
}

void DemoService::Logout(const std::string& token) const {
    if (!token.empty()) Request(L"POST", "/api/logout?token=" + token);
}

std::vector<StoredTrack> DemoService::Tracks(const std::string& email, const std::string& password) const {
    std::vector<StoredTrack> tracks;
    std::string token = Login(email, password);
    if (token.empty()) return tracks;
    std::istringstream lines(Request(L"GET", "/api/tracks?token=" + token).body);
    std::string line;
    while (std::getline(lines, line)) {
        size_t first = line.find('\t'), second = line.find('\t', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        tracks.push_back({line.substr(0, first), std::stoull(line.substr(first + 1, second - first - 1)),
                          line.substr(second + 1)});
    }
    Logout(token);
    return tracks;
}

bool DemoService::Play(const std::string& email, const std::string& password, const std::string& trackName) const {
    std::string token = Login(email, password);
    if (token.empty()) return false;
    bool queued = Request(L"POST", "/api/play?token=" + token + "&track=" + Encode(trackName)).status == 202;
    Logout(token);
    return queued;
}

std::vector<uint64_t> DemoService::StreamedBytes(const std::string& email, const std::string& password) const {
    std::vector<uint64_t> streamed;
    std::string token = Login(email, password);
    if (token.empty()) return streamed;
    std::istringstream lines(Request(L"GET", "/api/streams?token=" + token).body);
    std::string line;
    while (std::getline(lines, line)) {
        size_t tab = line.find('\t');
        if (tab != std::string::npos) streamed.push_back(std::stoull(line.substr(tab + 1)));
    }
    Logout(token);
    return streamed;
}

std::string UniqueEmail(const std::string& tag) {
    static LONG counter = 0;
    return tag + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) + "-" +
           std::to_string(InterlockedIncrement(&counter)) + "@tests.example";
}

}  // namespace tests
