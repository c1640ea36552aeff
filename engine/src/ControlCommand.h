// The commands of the control pipe, parsed from one line; see engine/README.md.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tovelink {

struct EventCommand {
    int32_t code;
    int32_t param1;
    int32_t param2;
    int32_t param3;
    std::optional<std::string> text;  // UTF-8 as received; nullopt sends a null text
};

struct BurstCommand {
    int32_t count;
    int32_t threads;
    std::vector<int32_t> codes;  // at least one
};

struct StatusCommand {};

struct SleepCommand {
    uint32_t milliseconds;
};

using ControlCommand = std::variant<EventCommand, BurstCommand, StatusCommand, SleepCommand>;

constexpr int32_t kMaxBurstThreads = 64;

struct ParsedLine {
    std::optional<ControlCommand> command;
    std::string error;  // why the line was refused, when command is empty
};

ParsedLine ParseControlLine(std::string_view line);

}  // namespace tovelink
