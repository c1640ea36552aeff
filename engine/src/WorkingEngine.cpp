#include "WorkingEngine.h"

#include "TextCodec.h"
#include "TrackTransfer.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace tovelink {

namespace {

// Event codes the working engine sends (the client's table of events).
enum : int32_t {
    kLoggingIn = 5,
    kLoginRefused = 6,
    kLoggedIn = 7,
    kLoggedOut = 8,
    kUploadStarted = 12,
    kUploadSent = 13,
    kUploadFinished = 14,
    kCounts = 15,
    kUploadProgress = 16,
    kScanning = 18,
    kIndexing = 19,
};

constexpr DWORD kRescanMs = 60000;        // a scan now and then, should a change go unnoticed
constexpr DWORD kSettleMs = 1000;         // after a change notification, let the copying finish
constexpr DWORD kFreshRetryMs = 2500;     // files still being written are looked at again then
constexpr DWORD kIndexRetryMs = 10000;    // after the server could not take the index
constexpr ULONGLONG kProgressEveryMs = 100;

const wchar_t kSessionEnded[] = L"The Tonalix server ended the session. Please log in again.";

}  // namespace

WorkingEngine::WorkingEngine(const EventSink& sink, std::function<EngineConfig()> config,
                             int32_t uploadLimit)
    : sink_(sink),
      config_(std::move(config)),
      uploadLimit_(uploadLimit),
      wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

bool WorkingEngine::Start() {
    if (worker_.joinable()) return true;
    if (!wake_.Valid() || !stop_.Valid()) return false;
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (...) {
        return false;
    }
    return true;
}

void WorkingEngine::Login() {
    std::lock_guard<std::mutex> lock(mutex_);
    commands_.push_back(Command::Login);
    commandWaiting_ = true;
    SetEvent(wake_.Get());
}

void WorkingEngine::Logout() {
    std::lock_guard<std::mutex> lock(mutex_);
    commands_.push_back(Command::Logout);
    commandWaiting_ = true;
    SetEvent(wake_.Get());
}

void WorkingEngine::SourcesChanged() {
    std::lock_guard<std::mutex> lock(mutex_);
    sourcesChanged_ = true;
    SetEvent(wake_.Get());
}

void WorkingEngine::Stop() {
    stop_.Set();
    if (worker_.joinable()) worker_.join();
}

std::optional<WorkingEngine::Command> WorkingEngine::TakeCommand() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (commands_.empty()) return std::nullopt;
    Command command = commands_.front();
    commands_.pop_front();
    commandWaiting_ = !commands_.empty();
    return command;
}

bool WorkingEngine::TakeSourcesChanged() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(sourcesChanged_, false);
}

void WorkingEngine::Emit(int32_t code, int32_t p1, int32_t p2, int32_t p3, const wchar_t* text) const {
    (void)sink_.Deliver(code, p1, p2, p3, text);  // refused only while shutting down
}

void WorkingEngine::Run() noexcept {
    try {
        Loop();
    } catch (...) {
        // Only memory can run out here; the engine then stops working.
    }
    try {
        EndSession(false);
    } catch (...) {
    }
}

DWORD WorkingEngine::NextWaitMs() const {
    if (!client_) return INFINITE;
    if (!queue_.empty()) return 0;
    if (!scanDue_) return kRescanMs;
    ULONGLONG now = GetTickCount64();
    return *scanDue_ <= now ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(*scanDue_ - now, kRescanMs));
}

void WorkingEngine::ScanIn(DWORD milliseconds) {
    ULONGLONG due = GetTickCount64() + milliseconds;
    if (!scanDue_ || due < *scanDue_) scanDue_ = due;
}

void WorkingEngine::Loop() {
    for (;;) {
        std::vector<HANDLE> handles = {stop_.Handle(), wake_.Get()};
        std::vector<HANDLE> watched = watch_.Handles();
        handles.insert(handles.end(), watched.begin(), watched.end());
        DWORD woken = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                             NextWaitMs());
        if (stop_.IsSet()) return;
        if (woken >= WAIT_OBJECT_0 + 2 && woken < WAIT_OBJECT_0 + handles.size()) {
            watch_.Rearm(woken - WAIT_OBJECT_0 - 2);
            if (client_) ScanIn(kSettleMs);
        }
        while (auto command = TakeCommand()) {
            if (*command == Command::Login) LogIn();
            else LogOut();
            if (stop_.IsSet()) return;
        }
        if (TakeSourcesChanged() && client_) ScanIn(0);
        if (!client_) continue;
        if (scanDue_ && *scanDue_ <= GetTickCount64()) {
            Scan();
        } else if (!queue_.empty()) {
            UploadNext();
        } else if (!scanDue_) {
            ScanIn(kRescanMs);
        }
    }
}

void WorkingEngine::LogIn() {
    EndSession(true);  // a second log-in starts afresh
    Emit(kLoggingIn);
    EngineConfig config = config_();
    server_ = {config.serverAddress, config.serverPort};
    auto client = std::make_unique<ServiceClient>(server_);
    LoginReply reply = client->Login(config.loginName, config.loginPassword);
    if (stop_.IsSet()) return;
    if (reply.reply == Reply::Refused) {
        Emit(kLoginRefused);  // no text: the client words it itself
        return;
    }
    if (reply.reply != Reply::Done) {
        Emit(kLoginRefused, 0, 0, 0, reply.message.c_str());
        return;
    }
    client_ = std::move(client);
    token_ = reply.token;
    tracksOnline_ = reply.tracksOnline;
    streamer_ = std::make_unique<StreamThread>(sink_, collection_, server_, token_, stop_);
    Emit(kLoggedIn);
    ScanIn(0);
}

void WorkingEngine::LogOut() {
    EndSession(true);
    Emit(kLoggedOut);
}

void WorkingEngine::EndSession(bool tellServer) {
    streamer_.reset();
    if (client_ && tellServer && !stop_.IsSet()) client_->Logout();
    client_.reset();
    token_.clear();
    queue_.clear();
    scanDue_.reset();
    watch_.Clear();
}

void WorkingEngine::SessionLost() {
    EndSession(false);
    Emit(kLoginRefused, 0, 0, 0, kSessionEnded);
}

MusicSources WorkingEngine::Sources() const {
    EngineConfig config = config_();
    MusicSources sources;
    sources.itunes = config.importItunes == 1;
    if (sources.itunes) {
        sources.itunesLibrary = FindItunesLibrary();
    } else {
        for (const std::string& root : config.roots) sources.roots.push_back(Utf8ToWide(root));
    }
    return sources;
}

void WorkingEngine::Scan() {
    scanDue_.reset();
    MusicSources sources = Sources();
    watch_.Watch(sources);
    Emit(kScanning, 1);
    MusicCollection::Refreshed refreshed = collection_.Refresh(sources, stop_);
    Emit(kScanning, 0);
    if (refreshed.stopped) return;
    if (refreshed.skippedFresh) ScanIn(kFreshRetryMs);

    std::vector<LocalTrack> tracks = collection_.Tracks();
    std::vector<IndexEntry> entries;
    for (const LocalTrack& track : tracks)
        entries.push_back({track.hash, track.size, WideToUtf8(track.Name())});
    Emit(kIndexing, 1);
    IndexReply reply = client_->SendIndex(entries);
    Emit(kIndexing, 0);
    if (reply.reply == Reply::SessionEnded) return SessionLost();
    if (reply.reply != Reply::Done) {
        ScanIn(kIndexRetryMs);
        return;
    }
    std::map<std::string, const LocalTrack*> byHash;
    for (const LocalTrack& track : tracks) byHash.emplace(track.hash, &track);
    queue_.clear();
    for (const std::string& hash : reply.missing)
        if (auto found = byHash.find(hash); found != byHash.end()) queue_.push_back(*found->second);
    tracksOnline_ = reply.tracksOnline;
    Emit(kCounts, static_cast<int32_t>(queue_.size()), tracksOnline_);
}

void WorkingEngine::UploadNext() {
    LocalTrack track = queue_.front();
    queue_.pop_front();
    const int32_t size = static_cast<int32_t>(track.size);
    ULONGLONG lastProgress = 0;
    PacedFile file(
        track, [this] { return uploadLimit_.load(); },
        [this] { return commandWaiting_.load(); }, stop_,
        [&](uint32_t sent, bool last) {
            ULONGLONG now = GetTickCount64();
            if (last || now - lastProgress >= kProgressEveryMs) {
                lastProgress = now;
                Emit(kUploadProgress, size, static_cast<int32_t>(sent), size);
            }
            if (last) Emit(kUploadSent);
        });
    std::wstring name = track.Name();
    Emit(kUploadStarted, 0, 0, 0, name.c_str());
    UploadReply reply;
    if (file.Opened())
        reply = client_->Upload(track.hash, WideToUtf8(name), static_cast<uint32_t>(track.size),
                                file.Source());
    if (stop_.IsSet()) return;
    if (reply.reply == Reply::Done) tracksOnline_ = reply.tracksOnline;
    Emit(kUploadFinished, reply.reply == Reply::Done ? 1 : 0);
    if (reply.reply == Reply::SessionEnded) return SessionLost();
    // What failed is offered again by the next scan's index.
    if (reply.reply != Reply::Done && reply.reply != Reply::Aborted) ScanIn(kIndexRetryMs);
    Emit(kCounts, static_cast<int32_t>(queue_.size()), tracksOnline_);
}

}  // namespace tovelink
