// Environment variables, read at the moment of the call (tests switch them in-process).
#pragma once

#include <optional>
#include <string>

namespace tovelink {

// nullopt when the variable is not set.
std::optional<std::wstring> ReadEnvironment(const wchar_t* name);

}  // namespace tovelink
