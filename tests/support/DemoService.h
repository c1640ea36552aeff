// The local demo services that ctest starts for the end-to-end tests (demo/service.py), and what
// a test asks them directly: accounts of its own, the tracks stored, stream requests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tests {

struct StoredTrack {
    std::string hash;
    uint64_t size = 0;
    std::string name;  // UTF-8
};

struct HttpReply {
    int status = 0;  // 0: no answer
    std::string body;
};

class DemoService {
public:
    // "plain" (no newer release), "newer" (an optional one) or "forced" (a mandatory one);
    // nullopt when ctest did not start it (TONALIX_DEMO_SERVICES unset or no port file).
    static std::optional<DemoService> Find(const std::string& kind);
    uint16_t Port() const { return port_; }

    // A fresh account for one test, so tests never see each other's tracks.
    [[nodiscard]] bool Register(const std::string& email, const std::string& password) const;
    std::vector<StoredTrack> Tracks(const std::string& email, const std::string& password) const;
    // Asks the engine of that account to stream the track (by name); true when queued.
    [[nodiscard]] bool Play(const std::string& email, const std::string& password,
                            const std::string& trackName) const;
    // Bytes received by each stream so far, in order.
    std::vector<uint64_t> StreamedBytes(const std::string& email, const std::string& password) const;

    HttpReply Request(const wchar_t* verb, const std::string& path, const std::string& body = {}) const;

private:
    explicit DemoService(uint16_t port) : port_(port) {}
    std::string Login(const std::string& email, const std::string& password) const;
    void Logout(const std::string& token) const;

    uint16_t port_;
};

// An e-mail address no other test uses.
std::string UniqueEmail(const std::string& tag);

// The skip message when the services are missing.
const char* const kNoDemoService =
    "the demo services were not started (ctest starts them; python3 is needed)";

}  // namespace tests
