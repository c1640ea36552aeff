#include "ControlCommand.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace tovelink {

namespace {

// Walks a line whose fields are separated by one blank each.
class Fields {
public:
    explicit Fields(std::string_view line) : rest_(line) {}

    bool AtEnd() const { return atEnd_; }

    std::string_view Next() {
        size_t blank = rest_.find(' ');
        std::string_view field = rest_.substr(0, blank);
        if (blank == std::string_view::npos) {
            rest_ = {};
            atEnd_ = true;
        } else {
            rest_.remove_prefix(blank + 1);
        }
        return field;
    }

    // Everything after the blank that ended the last field.
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
    bool atEnd_ = false;
};

// Whatever strtoll reads in full (base 10); out of its range is refused.
std::optional<int64_t> ParseInteger(std::string_view field) {
    if (field.empty() || field.front() == ' ' || field.front() == '\t') return std::nullopt;
    std::string text(field);
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno == ERANGE || end != text.c_str() + text.size()) return std::nullopt;
    return value;
}

// Event codes and parameters keep their low 32 bits, so 4294967295 and -1 are the same.
std::optional<int32_t> ParseParameter(std::string_view field) {
    auto value = ParseInteger(field);
    if (!value) return std::nullopt;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(*value)));
}

std::optional<int32_t> ParseCount(std::string_view field, int64_t low, int64_t high) {
    auto value = ParseInteger(field);
    if (!value || *value < low || *value > high) return std::nullopt;
    return static_cast<int32_t>(*value);
}

ParsedLine Refuse(std::string reason) { return {std::nullopt, std::move(reason)}; }

ParsedLine ParseEvent(Fields& fields) {
    int32_t values[4];
    static const char* const kNames[] = {"code", "param1", "param2", "param3"};
    for (int i = 0; i < 4; ++i) {
        if (fields.AtEnd()) return Refuse(std::string("missing ") + kNames[i]);
        auto value = ParseParameter(fields.Next());
        if (!value) return Refuse(std::string("bad ") + kNames[i]);
        values[i] = *value;
    }
    EventCommand event{values[0], values[1], values[2], values[3], std::nullopt};
    if (!fields.AtEnd()) {
        std::string_view text = fields.Rest();
        if (text.empty()) return Refuse("missing text (send \"\" for an empty text)");
        event.text = text == "\"\"" ? std::string() : std::string(text);
    }
    return {ControlCommand(std::move(event)), {}};
}

ParsedLine ParseBurst(Fields& fields) {
    if (fields.AtEnd()) return Refuse("missing count");
    auto count = ParseCount(fields.Next(), 0, std::numeric_limits<int32_t>::max());
    if (!count) return Refuse("bad count");
    if (fields.AtEnd()) return Refuse("missing threads");
    auto threads = ParseCount(fields.Next(), 1, kMaxBurstThreads);
    if (!threads) return Refuse("bad threads (1 to 64)");
    BurstCommand burst{*count, *threads, {}};
    while (!fields.AtEnd()) {
        auto code = ParseParameter(fields.Next());
        if (!code) return Refuse("bad code");
        burst.codes.push_back(*code);
    }
    if (burst.codes.empty()) return Refuse("missing code");
    return {ControlCommand(std::move(burst)), {}};
}

ParsedLine ParseSleep(Fields& fields) {
    if (fields.AtEnd()) return Refuse("missing milliseconds");
    auto ms = ParseCount(fields.Next(), 0, std::numeric_limits<int32_t>::max());
    if (!ms || !fields.AtEnd()) return Refuse("bad milliseconds");
    return {ControlCommand(SleepCommand{static_cast<uint32_t>(*ms)}), {}};
}

}  // namespace

ParsedLine ParseControlLine(std::string_view line) {
    Fields fields(line);
    std::string_view verb = fields.Next();
    if (verb.empty()) return Refuse("empty command");
    if (verb == "event") return ParseEvent(fields);
    if (verb == "burst") return ParseBurst(fields);
    if (verb == "sleep") return ParseSleep(fields);
    if (verb == "status") {
        if (!fields.AtEnd()) return Refuse("status takes no arguments");
        return {ControlCommand(StatusCommand{}), {}};
    }
    return Refuse("unknown command");
}

}  // namespace tovelink
