#include "ConfigText.h"

#include "Utf8.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <variant>

namespace tovelink {

bool EngineConfig::operator==(const EngineConfig& o) const {
    return roots == o.roots && serverAddress == o.serverAddress && serverPort == o.serverPort &&
           serverHttpsPort == o.serverHttpsPort && disableSslCAVerify == o.disableSslCAVerify &&
           loginName == o.loginName && loginPassword == o.loginPassword &&
           maxUpload == o.maxUpload && runOnStartup == o.runOnStartup &&
           loginOnRun == o.loginOnRun && importItunes == o.importItunes;
}

namespace {

using FieldMember = std::variant<std::string EngineConfig::*, uint16_t EngineConfig::*,
                                 int32_t EngineConfig::*, uint32_t EngineConfig::*>;

struct Field {
    const char* key;
    FieldMember member;
};

// Written in this order, after the root lines.
const Field kFields[] = {
    {"serverAddress", &EngineConfig::serverAddress},
    {"serverPort", &EngineConfig::serverPort},
    {"serverHttpsPort", &EngineConfig::serverHttpsPort},
    {"disableSslCAVerify", &EngineConfig::disableSslCAVerify},
    {"loginName", &EngineConfig::loginName},
    {"loginPassword", &EngineConfig::loginPassword},
    {"maxUpload", &EngineConfig::maxUpload},
    {"runOnStartup", &EngineConfig::runOnStartup},
    {"loginOnRun", &EngineConfig::loginOnRun},
    {"importItunes", &EngineConfig::importItunes},
};
constexpr std::string_view kRootKey = "root";
constexpr std::string_view kSection = "config";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A quoted value: "..." with \\ \" \t \r \n \xHH escapes; nullopt when malformed.
std::optional<std::string> Unquote(std::string_view quoted) {
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return std::nullopt;
    std::string_view body = quoted.substr(1, quoted.size() - 2);
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c == '"') return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == body.size()) return std::nullopt;
        switch (body[i]) {
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'n': out += '\n'; break;
            case 'x': {
                if (i + 2 >= body.size()) return std::nullopt;
                int hi = HexDigit(body[i + 1]), lo = HexDigit(body[i + 2]);
                // A zero byte would end the text early in the engine's records.
                if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) return std::nullopt;
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return out;
}

std::optional<std::string> ParseTextValue(std::string_view raw) {
    std::string_view value = Trim(raw);
    std::optional<std::string> text;
    if (!value.empty() && value.front() == '"')
        text = Unquote(value);
    else
        text = std::string(value);
    if (!text || !IsValidUtf8(*text)) return std::nullopt;
    return text;
}

template <typename T>
std::optional<T> ParseNumber(std::string_view raw) {
    std::string_view s = Trim(raw);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 11) return std::nullopt;
    int64_t magnitude = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
        value > static_cast<int64_t>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(value);
}

struct Assign {
    EngineConfig& config;
    std::string_view raw;
    void operator()(std::string EngineConfig::*member) const {
        if (auto v = ParseTextValue(raw)) config.*member = std::move(*v);
    }
    template <typename T>
    void operator()(T EngineConfig::*member) const {
        if (auto v = ParseNumber<T>(raw)) config.*member = *v;
    }
};

void ApplyLine(EngineConfig& config, std::string_view key, std::string_view raw) {
    if (EqualsIgnoringAsciiCase(key, kRootKey)) {
        auto root = ParseTextValue(raw);
        if (root && !root->empty() && config.roots.size() < kMaxRoots)
            config.roots.push_back(std::move(*root));
        return;
    }
    for (const Field& field : kFields) {
        if (EqualsIgnoringAsciiCase(key, field.key)) {
            std::visit(Assign{config, raw}, field.member);
            return;
        }
    }
}

bool NeedsQuotes(std::string_view value) {
    if (value.empty()) return false;
    if (value.front() == '"' || IsBlank(value.front()) || IsBlank(value.back())) return true;
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

std::string Quote(std::string_view value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (unsigned char c : value) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\x";
                    out += kHex[c >> 4];
                    out += kHex[c & 15];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

void WriteLine(std::string& out, std::string_view key, std::string_view value) {
    out.append(key);
    out += '=';
    if (NeedsQuotes(value))
        out += Quote(value);
    else
        out.append(value);
    out += "\r\n";
}

struct Format {
    std::string& out;
    const EngineConfig& config;
    const char* key;
    void operator()(std::string EngineConfig::*member) const { WriteLine(out, key, config.*member); }
    template <typename T>
    void operator()(T EngineConfig::*member) const {
        WriteLine(out, key, std::to_string(config.*member));
    }
};

}  // namespace

EngineConfig ParseConfigText(std::string_view text) {
    EngineConfig config;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool inConfigSection = true;  // keys before any section header count as [config]
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() == ']')
                inConfigSection =
                    EqualsIgnoringAsciiCase(Trim(line.substr(1, line.size() - 2)), kSection);
            continue;
        }
        size_t equals = line.find('=');
        if (!inConfigSection || equals == std::string_view::npos) continue;
        ApplyLine(config, Trim(line.substr(0, equals)), line.substr(equals + 1));
    }
    return config;
}

std::string FormatConfigText(const EngineConfig& config) {
    std::string out = "[config]\r\n";
    size_t written = 0;
    for (const std::string& root : config.roots) {
        if (root.empty()) continue;
        if (written++ == kMaxRoots) break;
        WriteLine(out, kRootKey, root);
    }
    for (const Field& field : kFields) std::visit(Format{out, config, field.key}, field.member);
    return out;
}

}  // namespace tovelink
