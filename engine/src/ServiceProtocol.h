// The texts exchanged with the demo service (demo/README.md): query and form encoding and the
// key=value answers. Platform-free.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovelink {

// Percent-encodes everything but unreserved characters, so the result fits a query or a form.
std::string UrlEncode(std::string_view utf8);

// The lines "key=value" of an answer, in order; other lines are skipped.
struct AnswerField {
    std::string key;
    std::string value;
};
std::vector<AnswerField> ParseAnswer(std::string_view body);

// The first value of `key`, if any.
std::optional<std::string> FirstValue(const std::vector<AnswerField>& fields, std::string_view key);

// A whole decimal number that fits 32 bits and is not negative.
std::optional<int32_t> ParseCount(std::string_view text);

// A lower-case 64-digit hexadecimal SHA-256.
bool IsTrackHash(std::string_view text);

}  // namespace tovelink
