// The working mode: logs in to the configured server, scans the music sources, uploads what the
// store lacks, watches for new files and streams on request, all on the engine's own threads.
#pragma once

#include "EngineConfig.h"
#include "EventSink.h"
#include "FolderWatch.h"
#include "MusicCollection.h"
#include "ServiceClient.h"
#include "StreamThread.h"
#include "Win32Handle.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace tovelink {

class WorkingEngine {
public:
    // `config` returns the engine's configuration as it is at the moment of the call.
    WorkingEngine(const EventSink& sink, std::function<EngineConfig()> config, int32_t uploadLimit);
    ~WorkingEngine() { Stop(); }
    WorkingEngine(const WorkingEngine&) = delete;
    WorkingEngine& operator=(const WorkingEngine&) = delete;

    // Starts the worker; commands given before it are carried out then.
    [[nodiscard]] bool Start();
    void Login();
    void Logout();
    // The folders or the music source changed: scan again soon.
    void SourcesChanged();
    void SetUploadLimit(int32_t kibPerSecond) { uploadLimit_ = kibPerSecond; }
    // Returns when every thread of this mode has ended.
    void Stop();

private:
    enum class Command { Login, Logout };

    void Run() noexcept;
    void Loop();
    DWORD NextWaitMs() const;
    std::optional<Command> TakeCommand();
    bool TakeSourcesChanged();

    void LogIn();
    void LogOut();
    void EndSession(bool tellServer);
    void SessionLost();
    void Scan();
    void UploadNext();
    MusicSources Sources() const;
    void ScanIn(DWORD milliseconds);
    void Emit(int32_t code, int32_t p1 = 0, int32_t p2 = 0, int32_t p3 = 0,
              const wchar_t* text = nullptr) const;

    const EventSink& sink_;
    std::function<EngineConfig()> config_;
    std::atomic<int32_t> uploadLimit_;
    StopSignal stop_;
    KernelHandle wake_;
    std::thread worker_;

    std::mutex mutex_;  // guards the two mailbox fields below
    std::deque<Command> commands_;
    bool sourcesChanged_ = false;
    std::atomic<bool> commandWaiting_{false};

    // Worker thread only (the streaming thread reads the collection, which outlives it).
    MusicCollection collection_;
    std::unique_ptr<ServiceClient> client_;  // set while logged in
    ServerAddress server_;
    std::string token_;
    std::unique_ptr<StreamThread> streamer_;
    FolderWatch watch_;
    std::deque<LocalTrack> queue_;  // tracks the store lacks, in upload order
    int32_t tracksOnline_ = 0;
    std::optional<ULONGLONG> scanDue_;
};

}  // namespace tovelink
