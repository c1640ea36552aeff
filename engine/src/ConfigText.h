// Reading and writing the configuration file's text (UTF-8, INI-like); see engine/README.md.
#pragma once

#include "EngineConfig.h"

#include <string>
#include <string_view>

namespace tovelink {

// Never fails: lines it cannot use are skipped and missing keys keep their defaults.
EngineConfig ParseConfigText(std::string_view text);

std::string FormatConfigText(const EngineConfig& config);

}  // namespace tovelink
