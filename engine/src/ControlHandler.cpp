#include "ControlHandler.h"

#include "ControlCommand.h"
#include "EventBurst.h"
#include "TabLine.h"
#include "TextCodec.h"

namespace tovelink {

namespace {

const char kRefused[] = "error the engine takes no events now";

struct Run {
    const EventSink& sink;
    const std::function<std::string()>& status;
    const StopSignal& stop;

    std::string operator()(const EventCommand& event) const {
        std::optional<std::wstring> text;
        if (event.text) {
            text = StrictUtf8ToWide(*event.text);
            if (!text) return "error text is not UTF-8";
        }
        bool delivered = sink.Deliver(event.code, event.param1, event.param2, event.param3,
                                      text ? text->c_str() : nullptr);
        return delivered ? "ok" : kRefused;
    }

    std::string operator()(const BurstCommand& burst) const {
        BurstResult result = RunBurst(burst, sink, stop);
        if (!result.complete)
            return stop.IsSet() ? "error stopped" : kRefused;
        return TabLine("ok").Add("events", result.delivered).Add("threads", burst.threads).Text();
    }

    std::string operator()(const StatusCommand&) const { return status(); }

    std::string operator()(const SleepCommand& sleep) const {
        return stop.WaitFor(sleep.milliseconds) ? "error stopped" : "ok";
    }
};

}  // namespace

std::string ControlHandler::Answer(std::string_view line, const StopSignal& stop) const {
    ParsedLine parsed = ParseControlLine(line);
    if (!parsed.command) return "error " + parsed.error;
    return std::visit(Run{sink_, status_, stop}, *parsed.command);
}

}  // namespace tovelink
