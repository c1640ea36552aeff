// While logged in: asks the service every second whether a listener wants a track from this
// computer, and streams it (events 10 and 11).
#pragma once

#include "EventSink.h"
#include "MusicCollection.h"
#include "ServiceClient.h"
#include "Win32Handle.h"

#include <string>
#include <thread>

namespace tovelink {

class StreamThread {
public:
    StreamThread(const EventSink& sink, const MusicCollection& collection, const ServerAddress& server,
                 const std::string& token, const StopSignal& engineStop);
    // Stops and joins; a stream in progress is cut off (and still ends with event 11).
    ~StreamThread();
    StreamThread(const StreamThread&) = delete;
    StreamThread& operator=(const StreamThread&) = delete;

    [[nodiscard]] bool Started() const { return thread_.joinable(); }

private:
    void Run() noexcept;
    [[nodiscard]] bool Wait(DWORD milliseconds) const;  // false when told to stop
    void StreamTrack(ServiceClient& client, const std::string& hash);

    const EventSink& sink_;
    const MusicCollection& collection_;
    ServerAddress server_;
    std::string token_;
    const StopSignal& engineStop_;
    StopSignal stop_;
    std::thread thread_;
};

}  // namespace tovelink
