// The demo service's protocol (demo/README.md) on top of HTTP: log-in, the collection index,
// track uploads and stream requests. One object per engine thread.
#pragma once

#include "HttpClient.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovelink {

struct ServerAddress {
    std::string host;  // UTF-8
    uint16_t port = 80;
};

enum class Reply { Done, Refused, SessionEnded, Unreachable, Failed, Aborted };

struct LoginReply {
    Reply reply = Reply::Failed;
    std::string token;
    int32_t tracksOnline = 0;
    std::wstring message;  // for the user, when the reply is Unreachable or Failed
};

struct IndexEntry {
    std::string hash;
    uint64_t size = 0;
    std::string name;  // UTF-8
};

struct IndexReply {
    Reply reply = Reply::Failed;
    int32_t tracksOnline = 0;
    std::vector<std::string> missing;  // hashes the store lacks, in index order
};

struct UploadReply {
    Reply reply = Reply::Failed;
    int32_t tracksOnline = 0;
};

class ServiceClient {
public:
    explicit ServiceClient(const ServerAddress& server);

    [[nodiscard]] LoginReply Login(const std::string& email, const std::string& password);
    void UseSession(const std::string& token) { token_ = token; }
    // Best effort: the session ends on the engine's side whatever the answer.
    void Logout();
    [[nodiscard]] IndexReply SendIndex(const std::vector<IndexEntry>& entries);
    // The track's bytes come from `source`; `length` is its size.
    [[nodiscard]] UploadReply Upload(const std::string& hash, const std::string& name,
                                     uint32_t length, const BodySource& source);
    // A hash the service wants streamed, or nothing; Reply::Done also when nothing waits.
    [[nodiscard]] Reply NextStreamRequest(std::optional<std::string>& hash);
    [[nodiscard]] Reply Stream(const std::string& hash, uint32_t length, const BodySource& source);

private:
    std::wstring Path(const std::string& path, const std::string& query = {}) const;
    static Reply Classify(const HttpResult& result);

    ServerAddress server_;
    HttpConnection http_;
    std::string token_;
};

}  // namespace tovelink
