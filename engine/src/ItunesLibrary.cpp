#include "ItunesLibrary.h"

#include <cstdint>

namespace tovelink {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// XML character references and the five named entities; anything else stays as written.
std::string XmlText(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        size_t end = text.find(';', i);
        if (end == std::string_view::npos || end - i > 12) {
            out += text[i];
            continue;
        }
        std::string_view name = text.substr(i + 1, end - i - 1);
        if (name == "amp") out += '&';
        else if (name == "lt") out += '<';
        else if (name == "gt") out += '>';
        else if (name == "quot") out += '"';
        else if (name == "apos") out += '\'';
        else if (name.size() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            uint32_t cp = 0;
            bool valid = name.size() > (hex ? 2u : 1u);
            for (char c : name.substr(hex ? 2 : 1)) {
                int digit = hex ? HexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
                if (digit < 0 || cp > 0x10FFFF) {
                    valid = false;
                    break;
                }
                cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
            }
            if (!valid) {
                out += text[i];
                continue;
            }
            AppendUtf8(out, cp);
        } else {
            out += text[i];
            continue;
        }
        i = end;
    }
    return out;
}

std::string PercentDecoded(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            char c = static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            if (c != '\0') out += c;
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string_view SkipBlanks(std::string_view text) {
    size_t start = text.find_first_not_of(" \t\r\n");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

}  // namespace

std::string FileUrlToPath(std::string_view url) {
    constexpr std::string_view kScheme = "file://";
    if (url.size() <= kScheme.size()) return {};
    for (size_t i = 0; i < kScheme.size(); ++i) {
        char c = url[i] >= 'A' && url[i] <= 'Z' ? static_cast<char>(url[i] - 'A' + 'a') : url[i];
        if (c != kScheme[i]) return {};
    }
    std::string_view rest = url.substr(kScheme.size());
    std::string path;
    constexpr std::string_view kLocalhost = "localhost/";
    if (rest.substr(0, kLocalhost.size()) == kLocalhost) {
        path = PercentDecoded(rest.substr(kLocalhost.size()));
    } else if (!rest.empty() && rest[0] == '/') {
        path = PercentDecoded(rest.substr(1));
    } else {
        path = "//" + PercentDecoded(rest);  // a share on another computer
    }
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::vector<std::string> ItunesTrackPaths(std::string_view xml) {
    constexpr std::string_view kKey = "<key>Location</key>";
    constexpr std::string_view kOpen = "<string>";
    constexpr std::string_view kClose = "</string>";
    std::vector<std::string> paths;
    size_t at = 0;
    while ((at = xml.find(kKey, at)) != std::string_view::npos) {
        at += kKey.size();
        std::string_view rest = SkipBlanks(xml.substr(at));
        if (rest.substr(0, kOpen.size()) != kOpen) continue;
        rest.remove_prefix(kOpen.size());
        size_t end = rest.find(kClose);
        if (end == std::string_view::npos) break;
        std::string path = FileUrlToPath(XmlText(rest.substr(0, end)));
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace tovelink
