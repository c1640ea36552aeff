#include "ServiceClient.h"

#include "ServiceProtocol.h"
#include "TextCodec.h"

namespace tovelink {

ServiceClient::ServiceClient(const ServerAddress& server)
    : server_(server), http_(Utf8ToWide(server.host), server.port) {}

std::wstring ServiceClient::Path(const std::string& path, const std::string& query) const {
    std::string full = path + "?token=" + UrlEncode(token_);
    if (!query.empty()) full += "&" + query;
    return Utf8ToWide(full);
}

Reply ServiceClient::Classify(const HttpResult& result) {
    if (result.aborted) return Reply::Aborted;
    if (result.error) return Reply::Unreachable;
    if (result.status == 401) return Reply::SessionEnded;
    if (result.status == 403) return Reply::Refused;
    return result.Success() ? Reply::Done : Reply::Failed;
}

LoginReply ServiceClient::Login(const std::string& email, const std::string& password) {
    LoginReply login;
    std::string form = "email=" + UrlEncode(email) + "&password=" + UrlEncode(password);
    HttpResult result = http_.Request(L"POST", L"/api/login", form);
    login.reply = Classify(result);
    const std::wstring where = Utf8ToWide(server_.host) + L":" + std::to_wstring(server_.port);
    if (login.reply == Reply::Unreachable) {
        login.message = L"The Tonalix server at " + where + L" cannot be reached (error " +
                        std::to_wstring(result.error) + L").";
        return login;
    }
    if (login.reply != Reply::Done) {
        if (login.reply != Reply::Refused)
            login.message = L"The Tonalix server at " + where + L" did not accept the log-in (HTTP " +
                            std::to_wstring(result.status) + L").";
        if (login.reply == Reply::SessionEnded) login.reply = Reply::Failed;
        return login;
    }
    auto fields = ParseAnswer(result.body);
    auto token = FirstValue(fields, "token");
    auto tracks = FirstValue(fields, "tracks");
    auto count = tracks ? ParseCount(*tracks) : std::nullopt;
    if (!token || token->empty() || !count) {
        login.reply = Reply::Failed;
        login.message = L"The Tonalix server at " + where + L" gave an answer the engine does not understand.";
        return login;
    }
    login.token = *token;
    login.tracksOnline = *count;
    token_ = *token;
    return login;
}

void ServiceClient::Logout() {
    if (token_.empty()) return;
    (void)http_.Request(L"POST", Path("/api/logout"));
    token_.clear();
}

IndexReply ServiceClient::SendIndex(const std::vector<IndexEntry>& entries) {
    std::string body;
    for (const IndexEntry& entry : entries) {
        std::string name = entry.name;
        for (char& c : name)
            if (c == '\t' || c == '\n' || c == '\r') c = ' ';
        body += entry.hash + "\t" + std::to_string(entry.size) + "\t" + name + "\n";
    }
    IndexReply index;
    HttpResult result = http_.Request(L"POST", Path("/api/index"), body);
    index.reply = Classify(result);
    if (index.reply != Reply::Done) return index;
    auto fields = ParseAnswer(result.body);
    auto tracks = FirstValue(fields, "tracks");
    auto count = tracks ? ParseCount(*tracks) : std::nullopt;
    if (!count) {
        index.reply = Reply::Failed;
        return index;
    }
    index.tracksOnline = *count;
    for (const AnswerField& field : fields)
        if (field.key == "missing" && IsTrackHash(field.value)) index.missing.push_back(field.value);
    return index;
}

UploadReply ServiceClient::Upload(const std::string& hash, const std::string& name, uint32_t length,
                                  const BodySource& source) {
    UploadReply upload;
    HttpResult result =
        http_.Upload(L"PUT", Path("/api/tracks/" + hash, "name=" + UrlEncode(name)), length, source);
    upload.reply = Classify(result);
    if (upload.reply != Reply::Done) return upload;
    auto tracks = FirstValue(ParseAnswer(result.body), "tracks");
    auto count = tracks ? ParseCount(*tracks) : std::nullopt;
    if (!count) {
        upload.reply = Reply::Failed;
        return upload;
    }
    upload.tracksOnline = *count;
    return upload;
}

Reply ServiceClient::NextStreamRequest(std::optional<std::string>& hash) {
    hash.reset();
    HttpResult result = http_.Request(L"GET", Path("/api/stream-request"));
    Reply reply = Classify(result);
    if (reply != Reply::Done) return reply;
    auto track = FirstValue(ParseAnswer(result.body), "track");
    if (track && IsTrackHash(*track)) hash = *track;
    return reply;
}

Reply ServiceClient::Stream(const std::string& hash, uint32_t length, const BodySource& source) {
    return Classify(http_.Upload(L"POST", Path("/api/stream/" + hash), length, source));
}

}  // namespace tovelink
