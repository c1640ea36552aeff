// Plain HTTP requests to one server with WinHTTP, synchronous, on the calling engine thread.
// Every wait is bounded by the session's time-outs; a body source can abort an upload.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace tovelink {

class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() { Reset(); }
    InternetHandle(InternetHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    void Reset() {
        if (handle_) WinHttpCloseHandle(handle_);
        handle_ = nullptr;
    }
    HINTERNET Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_ = nullptr;
};

struct HttpResult {
    DWORD error = 0;   // a WinHTTP or system error code; 0 when the server answered
    DWORD status = 0;  // the HTTP status when it answered
    bool aborted = false;  // the body source gave up
    std::string body;

    bool Answered() const { return error == 0 && !aborted; }
    bool Success() const { return Answered() && status >= 200 && status < 300; }
};

// Fills `chunk` with the next part of an upload's body; false aborts the request.
using BodySource = std::function<bool(std::string& chunk)>;

class HttpConnection {
public:
    HttpConnection(const std::wstring& host, uint16_t port);

    [[nodiscard]] HttpResult Request(const wchar_t* verb, const std::wstring& path,
                                     const std::string& body = {});
    // Sends `length` bytes taken from `source` as the body.
    [[nodiscard]] HttpResult Upload(const wchar_t* verb, const std::wstring& path, uint32_t length,
                                    const BodySource& source);

private:
    [[nodiscard]] HttpResult Finish(HINTERNET request);

    DWORD openError_ = 0;
    InternetHandle session_;
    InternetHandle connection_;
};

}  // namespace tovelink
