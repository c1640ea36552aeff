// The one way events reach the client's callback. Only engine threads call Deliver, so the
// client never receives an event on a thread of its own.
#pragma once

#include <Tovelink.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace tovelink {

class EventSink {
public:
    // `eventLog`: a file that gets one line per delivered event (empty: none). Called while no
    // engine thread runs.
    void Open(TEngineCallback callback, std::wstring eventLog = {});
    // Later deliveries are refused; one already inside the callback finishes, which is why
    // shut-down also joins the threads.
    void Close() { callback_ = nullptr; }
    // Marks in the event log that nothing can follow (written after the threads are joined).
    void LogShutdown() const;

    // False when the sink is closed or has no callback.
    [[nodiscard]] bool Deliver(int32_t code, int32_t param1, int32_t param2, int32_t param3,
                               const wchar_t* text) const;

private:
    void Log(const std::string& line) const;

    std::atomic<TEngineCallback> callback_{nullptr};
    std::wstring eventLog_;
    mutable std::mutex logMutex_;  // keeps lines whole when threads deliver at once
};

}  // namespace tovelink
