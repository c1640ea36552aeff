// A tiny HTTP server on 127.0.0.1 inside the test process: every request gets the scripted answer
// (status and body, after a delay, or a connection closed or held without any answer).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tests {

struct HttpAnswer {
    enum class Kind {
        Respond,        // status line, headers and body
        CloseSilently,  // the connection is closed without a byte of answer
        NeverAnswer,    // the connection stays open, silent, until the server stops
    };
    Kind kind = Kind::Respond;
    int status = 200;
    std::string body;
    std::string contentType = "text/xml";
    uint32_t delayMs = 0;  // wait after reading the request, before answering
};

class LocalHttpServer {
public:
    // Listens on an ephemeral port; Port() is 0 when that failed.
    LocalHttpServer();
    // Wakes every held connection and waits for the server's threads.
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    uint16_t Port() const;
    // Applies to requests read from now on.
    void SetAnswer(const HttpAnswer& answer);
    void Respond(int status, const std::string& body);
    // The request heads received so far (request line and headers, CRLF-separated), oldest first.
    std::vector<std::string> Requests() const;

    // A port on 127.0.0.1 that nothing listens on: connections to it are refused.
    static uint16_t UnusedPort();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tests
