// Cutting 8-bit text to a byte limit without splitting a character, in any ANSI code page.
#pragma once

#include <bitset>
#include <cstddef>
#include <string_view>

namespace core {

// How a code page makes characters of bytes: UTF-8 sequences, or pairs that start with a lead
// byte of a double-byte code page. No lead bytes and not UTF-8: one byte per character.
struct CharacterRule {
    bool utf8 = false;
    std::bitset<256> leadBytes;

    static CharacterRule Utf8() {
        CharacterRule rule;
        rule.utf8 = true;
        return rule;
    }
};

// The length of the longest prefix of `text` that holds at most `room` bytes, stops before the
// first zero byte, and does not end inside a character: never in an unfinished UTF-8 sequence
// or after the lead byte of a double-byte pair. A text that fits keeps all its bytes, except
// unfinished characters at its very end.
size_t CharacterPrefixLength(std::string_view text, size_t room, const CharacterRule& rule);

}  // namespace core
