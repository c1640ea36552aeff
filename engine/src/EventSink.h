// The one way events reach the client's callback. Only engine threads call Deliver, so the
// client never receives an event on a thread of its own.
#pragma once

#include <Tovelink.h>

#include <atomic>
#include <cstdint>

namespace tovelink {

class EventSink {
public:
    void Open(TEngineCallback callback) { callback_ = callback; }
    // Later deliveries are refused; one already inside the callback finishes, which is why
    // shut-down also joins the threads.
    void Close() { callback_ = nullptr; }

    // False when the sink is closed or has no callback.
    [[nodiscard]] bool Deliver(int32_t code, int32_t param1, int32_t param2, int32_t param3,
                               const wchar_t* text) const;

private:
    std::atomic<TEngineCallback> callback_{nullptr};
};

}  // namespace tovelink
