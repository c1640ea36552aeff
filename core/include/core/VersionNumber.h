// Release numbers as the service writes them ("1.0.5234") and their order.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace core {

struct VersionNumber {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t revision = 0;
};

// Splits at ".", CR and LF; blanks and tabs at the start of a piece are skipped and pieces left
// empty are dropped. The views point into `text`.
std::vector<std::wstring_view> SplitVersionPieces(std::wstring_view text);

// An optional sign and decimal digits, nothing else, within the signed 32-bit range.
[[nodiscard]] std::optional<int32_t> ParseVersionInteger(std::wstring_view piece);

// The first three pieces are major, minor and revision; a missing piece is 0 and pieces after
// the third are ignored. Empty when one of the first three is not an integer.
[[nodiscard]] std::optional<VersionNumber> ParseVersion(std::wstring_view text);

// Compares major, then minor, then revision.
bool IsNewer(const VersionNumber& candidate, const VersionNumber& current);

}  // namespace core
