#include "core/TextCut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Lead bytes of Shift-JIS (code page 932), as the system reports them.
core::CharacterRule ShiftJis() {
    core::CharacterRule rule;
    for (int b = 0x81; b <= 0x9F; ++b) rule.leadBytes.set(b);
    for (int b = 0xE0; b <= 0xFC; ++b) rule.leadBytes.set(b);
    return rule;
}

// Every room from 0 to past the end cuts at the last character boundary that fits.
void ExpectCutsAtBoundaries(const std::string& text, const std::vector<size_t>& boundaries,
                            const core::CharacterRule& rule) {
    for (size_t room = 0; room <= text.size() + 2; ++room) {
        SCOPED_TRACE("room " + std::to_string(room));
        const size_t expected = *std::prev(std::upper_bound(boundaries.begin(), boundaries.end(), room));
        EXPECT_EQ(core::CharacterPrefixLength(text, room, rule), expected);
    }
}

TEST(TextCut, Utf8CutsOnlyBetweenCharacters) {
    // "a", e-acute (2 bytes), euro sign (3), a face outside the BMP (4), "b".
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" "b";
    ExpectCutsAtBoundaries(text, {0, 1, 3, 6, 10, 11}, core::CharacterRule::Utf8());
}

TEST(TextCut, DoubleBytePairsStayWholeEvenWhenTheTrailByteLooksLikeALead) {
    // "a", two kanji whose trail byte 0x9F is also a lead byte value, "b".
    const std::string text = "a\x88\x9F\x88\x9F" "b";
    ExpectCutsAtBoundaries(text, {0, 1, 3, 5, 6}, ShiftJis());
}

TEST(TextCut, SingleByteCodePagesCutAnywhere) {
    const std::string text = "caf\xE9\x9F";
    ExpectCutsAtBoundaries(text, {0, 1, 2, 3, 4, 5}, core::CharacterRule());
}

TEST(TextCut, UnfinishedAndStrayBytes) {
    const core::CharacterRule utf8 = core::CharacterRule::Utf8();
    const struct {
        const char* name;
        std::string text;
        size_t room;
        core::CharacterRule rule;
        size_t expected;
    } cases[] = {
        {"UTF-8 text ending in a lone lead byte", "ab\xC3", 10, utf8, 2},
        {"UTF-8 text ending in two of three bytes", "ab\xE2\x82", 10, utf8, 2},
        {"unfinished sequences one after another", "ab\xE9\xEA\xE9", 10, utf8, 2},
        {"stray continuation bytes are kept", "ab\x80\x80\x80\x80", 10, utf8, 6},
        {"a byte that starts nothing is kept", "ab\xFF", 10, utf8, 3},
        {"continuation bytes after a whole character", "\xC3\xA9\xA9", 10, utf8, 3},
        {"double-byte text ending in a lead byte", "ab\x88", 10, ShiftJis(), 2},
        {"the text ends at its first zero", std::string("ab\0cd", 5), 10, utf8, 2},
        {"a zero ends a double-byte pair early", std::string("a\x88\0b", 4), 10, ShiftJis(), 1},
        {"nothing fits", "\xE2\x82\xAC", 2, utf8, 0},
        {"empty", "", 5, utf8, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(core::CharacterPrefixLength(c.text, c.room, c.rule), c.expected);
    }
}

}  // namespace
