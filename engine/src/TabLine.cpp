#include "TabLine.h"

namespace tovelink {

TabLine& TabLine::Add(std::string_view key, std::string_view utf8Value) {
    static const char kHex[] = "0123456789ABCDEF";
    text_ += '\t';
    text_.append(key);
    text_ += '=';
    for (unsigned char c : utf8Value) {
        if (c < 0x20 || c == 0x7F) {
            text_ += "\\x";
            text_ += kHex[c >> 4];
            text_ += kHex[c & 15];
        } else {
            text_ += static_cast<char>(c);
        }
    }
    return *this;
}

TabLine& TabLine::Add(std::string_view key, int64_t value) {
    return Add(key, std::to_string(value));
}

}  // namespace tovelink
