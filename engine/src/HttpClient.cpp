#include "HttpClient.h"

namespace tovelink {

namespace {

constexpr int kResolveTimeoutMs = 5000;
constexpr int kConnectTimeoutMs = 5000;
constexpr int kSendTimeoutMs = 15000;
constexpr int kReceiveTimeoutMs = 15000;
// Answers are short texts; anything longer is not from the service the engine expects.
constexpr size_t kMaxAnswerBytes = 8u << 20;

const wchar_t kBodyHeaders[] = L"Content-Type: application/octet-stream\r\n";

}  // namespace

HttpConnection::HttpConnection(const std::wstring& host, uint16_t port) {
    session_ = InternetHandle(WinHttpOpen(L"Tovelink/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                          WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session_) {
        openError_ = GetLastError();
        return;
    }
    WinHttpSetTimeouts(session_.Get(), kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs,
                       kReceiveTimeoutMs);
    connection_ = InternetHandle(WinHttpConnect(session_.Get(), host.c_str(), port, 0));
    if (!connection_) openError_ = GetLastError();
}

HttpResult HttpConnection::Request(const wchar_t* verb, const std::wstring& path,
                                   const std::string& body) {
    std::string copy = body;
    bool sent = false;
    return Upload(verb, path, static_cast<uint32_t>(body.size()), [&](std::string& chunk) {
        chunk.clear();
        if (!sent) chunk.swap(copy);
        sent = true;
        return true;
    });
}

HttpResult HttpConnection::Upload(const wchar_t* verb, const std::wstring& path, uint32_t length,
                                  const BodySource& source) {
    HttpResult result;
    if (!connection_) {
        result.error = openError_ ? openError_ : ERROR_INVALID_HANDLE;
        return result;
    }
    InternetHandle request(WinHttpOpenRequest(connection_.Get(), verb, path.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (!request) {
        result.error = GetLastError();
        return result;
    }
    if (!WinHttpSendRequest(request.Get(), kBodyHeaders, static_cast<DWORD>(-1L),
                            WINHTTP_NO_REQUEST_DATA, 0, length, 0)) {
        result.error = GetLastError();
        return result;
    }
    uint32_t sent = 0;
    std::string chunk;
    while (sent < length) {
        if (!source(chunk)) {
            result.aborted = true;
            return result;
        }
        if (chunk.empty() || chunk.size() > length - sent) {
            // The source and the announced length disagree: the file changed under us.
            result.aborted = true;
            return result;
        }
        DWORD written = 0;
        if (!WinHttpWriteData(request.Get(), chunk.data(), static_cast<DWORD>(chunk.size()),
                              &written)) {
            result.error = GetLastError();
            return result;
        }
        sent += static_cast<uint32_t>(chunk.size());
    }
    return Finish(request.Get());
}

HttpResult HttpConnection::Finish(HINTERNET request) {
    HttpResult result;
    if (!WinHttpReceiveResponse(request, nullptr)) {
        result.error = GetLastError();
        return result;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        result.error = GetLastError();
        return result;
    }
    result.status = status;
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!WinHttpReadData(request, buffer, sizeof buffer, &read)) {
            result.error = GetLastError();
            return result;
        }
        if (read == 0) break;
        if (result.body.size() + read > kMaxAnswerBytes) {
            result.error = ERROR_INSUFFICIENT_BUFFER;
            return result;
        }
        result.body.append(buffer, read);
    }
    return result;
}

}  // namespace tovelink
