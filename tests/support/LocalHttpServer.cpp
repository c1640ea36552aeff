#include <winsock2.h>
#include <ws2tcpip.h>

#include "LocalHttpServer.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace tests {

namespace {

// Winsock for as long as the object lives.
class WinsockUser {
public:
    WinsockUser() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockUser() {
        if (started_) WSACleanup();
    }
    WinsockUser(const WinsockUser&) = delete;
    WinsockUser& operator=(const WinsockUser&) = delete;

private:
    bool started_ = false;
};

// A socket bound to 127.0.0.1 on an ephemeral port, or INVALID_SOCKET.
SOCKET BindLoopback(uint16_t& port) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    port = ntohs(address.sin_port);
    return s;
}

const char* Reason(int status) {
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

}  // namespace

struct LocalHttpServer::State {
    WinsockUser winsock;
    SOCKET listener = INVALID_SOCKET;
    uint16_t port = 0;
    HANDLE stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> stopping{false};

    mutable std::mutex lock;
    HttpAnswer answer;
    std::vector<std::string> requests;
    std::vector<SOCKET> open;  // connections being served
    std::vector<std::thread> workers;
    std::thread acceptor;

    void Accept() {
        for (;;) {
            const SOCKET connection = accept(listener, nullptr, nullptr);
            if (connection == INVALID_SOCKET) return;  // the listener was closed
            std::lock_guard<std::mutex> guard(lock);
            if (stopping) {
                closesocket(connection);
                return;
            }
            open.push_back(connection);
            workers.emplace_back([this, connection] { Serve(connection); });
        }
    }

    void Serve(SOCKET connection) {
        std::string head;
        char buffer[2048];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
            const int received = recv(connection, buffer, sizeof(buffer), 0);
            if (received <= 0) break;
            head.append(buffer, static_cast<size_t>(received));
        }
        const size_t end = head.find("\r\n\r\n");
        HttpAnswer reply;
        {
            std::lock_guard<std::mutex> guard(lock);
            if (end != std::string::npos) requests.push_back(head.substr(0, end));
            reply = answer;
        }
        const bool stopped = reply.delayMs > 0 && WaitForSingleObject(stopEvent, reply.delayMs) == WAIT_OBJECT_0;
        if (end != std::string::npos && !stopped) {
            if (reply.kind == HttpAnswer::Kind::NeverAnswer) {
                WaitForSingleObject(stopEvent, INFINITE);
            } else if (reply.kind == HttpAnswer::Kind::Respond) {
                const std::string message = "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) +
                                            "\r\nContent-Type: " + reply.contentType +
                                            "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                                            "\r\nConnection: close\r\n\r\n" + reply.body;
                size_t sent = 0;
                while (sent < message.size()) {
                    const int n = send(connection, message.data() + sent, static_cast<int>(message.size() - sent), 0);
                    if (n <= 0) break;
                    sent += static_cast<size_t>(n);
                }
                shutdown(connection, SD_SEND);
            }
        }
        std::lock_guard<std::mutex> guard(lock);
        for (auto it = open.begin(); it != open.end(); ++it) {
            if (*it == connection) {
                open.erase(it);
                break;
            }
        }
        closesocket(connection);
    }

    void Stop() {
        stopping = true;
        if (stopEvent) SetEvent(stopEvent);
        if (listener != INVALID_SOCKET) closesocket(listener);
        if (acceptor.joinable()) acceptor.join();
        std::vector<std::thread> finishing;
        {
            std::lock_guard<std::mutex> guard(lock);
            // Wakes connections still waiting for a request; each closes its own socket.
            for (const SOCKET connection : open) shutdown(connection, SD_BOTH);
            finishing.swap(workers);
        }
        for (std::thread& worker : finishing) worker.join();
        if (stopEvent) CloseHandle(stopEvent);
    }
};

LocalHttpServer::LocalHttpServer() : state_(std::make_unique<State>()) {
    uint16_t port = 0;
    const SOCKET listener = BindLoopback(port);
    if (listener == INVALID_SOCKET) return;
    if (listen(listener, SOMAXCONN) != 0) {
        closesocket(listener);
        return;
    }
    state_->listener = listener;
    state_->port = port;
    State* state = state_.get();
    state_->acceptor = std::thread([state] { state->Accept(); });
}

LocalHttpServer::~LocalHttpServer() { state_->Stop(); }

uint16_t LocalHttpServer::Port() const { return state_->port; }

void LocalHttpServer::SetAnswer(const HttpAnswer& answer) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->answer = answer;
}

void LocalHttpServer::Respond(int status, const std::string& body) {
    HttpAnswer answer;
    answer.status = status;
    answer.body = body;
    SetAnswer(answer);
}

std::vector<std::string> LocalHttpServer::Requests() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->requests;
}

uint16_t LocalHttpServer::UnusedPort() {
    WinsockUser winsock;
    uint16_t port = 0;
    const SOCKET s = BindLoopback(port);
    if (s == INVALID_SOCKET) return 0;
    closesocket(s);
    return port;
}

}  // namespace tests
