// Runs the control pipe's commands against the engine and words their answers.
#pragma once

#include "EventSink.h"
#include "Win32Handle.h"

#include <functional>
#include <string>
#include <string_view>

namespace tovelink {

class ControlHandler {
public:
    // `status` returns the whole answer to the status command.
    ControlHandler(const EventSink& sink, std::function<std::string()> status)
        : sink_(sink), status_(std::move(status)) {}

    // "ok" (with TAB-separated details for some commands) or "error <reason>".
    std::string Answer(std::string_view line, const StopSignal& stop) const;

private:
    const EventSink& sink_;
    std::function<std::string()> status_;
};

}  // namespace tovelink
