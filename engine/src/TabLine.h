// One line of TAB-separated key=value fields after a head word: the call log's and the
// control pipe's status format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tovelink {

class TabLine {
public:
    explicit TabLine(std::string_view head) : text_(head) {}

    // Control characters in the value are written as \xHH so the line stays one line with
    // its fields intact; backslashes are left alone (paths stay readable).
    TabLine& Add(std::string_view key, std::string_view utf8Value);
    TabLine& Add(std::string_view key, int64_t value);

    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace tovelink
