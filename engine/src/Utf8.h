// UTF-8 checks that need no platform calls.
#pragma once

#include <string_view>

namespace tovelink {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

}  // namespace tovelink
