#include "core/TextCut.h"

namespace core {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Bytes in the sequence this byte starts; 0 for a byte that starts none.
size_t Utf8SequenceLength(unsigned char byte) {
    if (byte < 0x80) return 1;
    if (byte >= 0xC2 && byte <= 0xDF) return 2;
    if (byte >= 0xE0 && byte <= 0xEF) return 3;
    if (byte >= 0xF0 && byte <= 0xF4) return 4;
    return 0;
}

// Where the text must end instead when its last sequence is unfinished; `end` when it is whole.
// UTF-8 resynchronises from any point, so only the end needs looking at.
size_t WithoutUnfinishedSequence(std::string_view text, size_t end) {
    size_t start = end;
    while (start > 0 && end - start < 3 && IsContinuation(static_cast<unsigned char>(text[start - 1]))) --start;
    if (start == 0) return end;
    const size_t lead = start - 1;
    const size_t length = Utf8SequenceLength(static_cast<unsigned char>(text[lead]));
    return length > 1 && end - lead < length ? lead : end;
}

// Malformed text may hold several unfinished sequences in a row: all of them go.
size_t Utf8Prefix(std::string_view text, size_t end) {
    for (;;) {
        const size_t shorter = WithoutUnfinishedSequence(text, end);
        if (shorter == end) return end;
        end = shorter;
    }
}

// A trail byte may look like a lead byte, so pairs are only found by walking from the start.
size_t DoubleBytePrefix(std::string_view text, size_t end, const std::bitset<256>& leadBytes) {
    size_t length = 0;
    while (length < end) {
        const size_t step = leadBytes[static_cast<unsigned char>(text[length])] ? 2 : 1;
        if (length + step > end) break;
        length += step;
    }
    return length;
}

}  // namespace

size_t CharacterPrefixLength(std::string_view text, size_t room, const CharacterRule& rule) {
    size_t end = text.find('\0');
    if (end == std::string_view::npos) end = text.size();
    if (end > room) end = room;
    if (rule.utf8) return Utf8Prefix(text, end);
    if (rule.leadBytes.any()) return DoubleBytePrefix(text, end, rule.leadBytes);
    return end;
}

}  // namespace core
