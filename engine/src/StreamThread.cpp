#include "StreamThread.h"

#include "TrackTransfer.h"

namespace tovelink {

namespace {

constexpr DWORD kPollMs = 1000;
constexpr DWORD kRetryMs = 5000;  // after the service could not be reached
// Streams go at listening pace rather than as fast as possible.
constexpr int32_t kStreamKiB = 64;

}  // namespace

StreamThread::StreamThread(const EventSink& sink, const MusicCollection& collection,
                           const ServerAddress& server, const std::string& token,
                           const StopSignal& engineStop)
    : sink_(sink), collection_(collection), server_(server), token_(token), engineStop_(engineStop) {
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (...) {
        // Without the thread the session works on; only streaming is missing.
    }
}

StreamThread::~StreamThread() {
    stop_.Set();
    if (thread_.joinable()) thread_.join();
}

bool StreamThread::Wait(DWORD milliseconds) const {
    HANDLE handles[] = {stop_.Handle(), engineStop_.Handle()};
    return WaitForMultipleObjects(2, handles, FALSE, milliseconds) == WAIT_TIMEOUT;
}

void StreamThread::Run() noexcept {
    try {
        ServiceClient client(server_);
        client.UseSession(token_);
        DWORD pause = kPollMs;
        while (Wait(pause)) {
            std::optional<std::string> hash;
            Reply reply = client.NextStreamRequest(hash);
            if (reply == Reply::SessionEnded) return;  // the worker hears of it on its next request
            pause = reply == Reply::Unreachable ? kRetryMs : kPollMs;
            if (hash) StreamTrack(client, *hash);
        }
    } catch (...) {
        // Only memory can run out here; streaming ends for this session.
    }
}

void StreamThread::StreamTrack(ServiceClient& client, const std::string& hash) {
    auto track = collection_.Find(hash);
    if (!track) return;  // not (or no longer) on this computer
    PacedFile file(
        *track, [] { return kStreamKiB; },
        [this] { return stop_.IsSet() || engineStop_.IsSet(); }, engineStop_, nullptr);
    if (!file.Opened()) return;
    std::wstring name = track->Name();
    (void)sink_.Deliver(10, 0, 0, 0, name.c_str());
    (void)client.Stream(hash, static_cast<uint32_t>(track->size), file.Source());
    (void)sink_.Deliver(11, 0, 0, 0, nullptr);
}

}  // namespace tovelink
