// SHA-256 of a file's content, the name a track has in the service's store.
#pragma once

#include "Win32Handle.h"

#include <optional>
#include <string>

namespace tovelink {

// Lower-case hexadecimal; nullopt when the file cannot be read whole or the stop came first.
[[nodiscard]] std::optional<std::string> HashFile(const std::wstring& path, const StopSignal& stop);

}  // namespace tovelink
