// Where the configuration file lives, and reading and writing it.
#pragma once

#include "EngineConfig.h"

#include <string>

namespace tovelink {

// TOVELINK_CONFIG when set, else %APPDATA%\Tovelink\config.ini; empty when neither is known.
std::wstring ConfigFilePath();

// The defaults when the file is missing or unreadable.
EngineConfig LoadConfigFile(const std::wstring& path);

// Creates missing folders and replaces the file in one step, so a failed save leaves the old
// file whole.
[[nodiscard]] bool SaveConfigFile(const std::wstring& path, const EngineConfig& config);

}  // namespace tovelink
