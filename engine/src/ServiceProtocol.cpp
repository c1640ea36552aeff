#include "ServiceProtocol.h"

#include <cstdint>

namespace tovelink {

std::string UrlEncode(std::string_view utf8) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : utf8) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::vector<AnswerField> ParseAnswer(std::string_view body) {
    std::vector<AnswerField> fields;
    while (!body.empty()) {
        size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) continue;
        fields.push_back({std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))});
    }
    return fields;
}

std::optional<std::string> FirstValue(const std::vector<AnswerField>& fields, std::string_view key) {
    for (const AnswerField& field : fields)
        if (field.key == key) return field.value;
    return std::nullopt;
}

std::optional<int32_t> ParseCount(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

bool IsTrackHash(std::string_view text) {
    if (text.size() != 64) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace tovelink
