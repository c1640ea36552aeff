// The load test of the control pipe: many events from several engine threads at once.
#pragma once

#include "ControlCommand.h"
#include "EventSink.h"
#include "Win32Handle.h"

#include <cstdint>

namespace tovelink {

struct BurstResult {
    int64_t delivered = 0;
    bool complete = false;  // false when stopped, refused by the sink, or a thread did not start
};

// Event g (0 <= g < count) goes to thread t = g % threads as that thread's s-th event
// (s = g / threads) with code codes[g % codes.size()], param1 = t, param2 = s,
// param3 = the code and the text "t:s". Returns once every thread has finished.
BurstResult RunBurst(const BurstCommand& burst, const EventSink& sink, const StopSignal& stop);

}  // namespace tovelink
