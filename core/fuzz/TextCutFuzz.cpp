// Fuzz entry for cutting 8-bit text to a field: the cut never grows the text, never ends inside a
// character, is stable when cut again, and keeps whole characters up to the limit.
//
// Input: the code page kind (1 byte: 0 UTF-8, 1 single-byte, otherwise double-byte with the lead
// bytes given by the next 32 bytes as a bit set), the room (1 byte), then the text.
#include "core/TextCut.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

size_t Utf8Length(unsigned char byte) {
    if (byte < 0x80) return 1;
    if (byte >= 0xC2 && byte <= 0xDF) return 2;
    if (byte >= 0xE0 && byte <= 0xEF) return 3;
    if (byte >= 0xF0 && byte <= 0xF4) return 4;
    return 0;
}

// Whether the text is well-formed UTF-8 as far as sequence lengths go.
bool WholeUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8Length(static_cast<unsigned char>(text[i]));
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    core::CharacterRule rule;
    size_t at = 0;
    const uint8_t kind = data[at++];
    if (kind == 0) {
        rule = core::CharacterRule::Utf8();
    } else if (kind != 1) {
        for (size_t bit = 0; bit < 256 && at + bit / 8 < size; ++bit)
            if (data[at + bit / 8] & (1u << (bit % 8))) rule.leadBytes.set(bit);
        at += 32;
    }
    if (at >= size) return 0;
    const size_t room = data[at++];
    const std::string_view text(reinterpret_cast<const char*>(data + at), size - at);

    const size_t kept = core::CharacterPrefixLength(text, room, rule);
    const size_t zero = text.find('\0');
    const size_t limit = std::min(std::min(room, text.size()), zero == std::string_view::npos ? text.size() : zero);
    Check(kept <= limit);
    // Cutting what was kept changes nothing: it ends on a whole character.
    Check(core::CharacterPrefixLength(text.substr(0, kept), room, rule) == kept);

    const std::string_view head = text.substr(0, limit);
    if (rule.utf8) {
        // Only bytes of unfinished sequences are given up, never a one-byte character.
        for (size_t i = kept; i < limit; ++i) Check(static_cast<unsigned char>(text[i]) >= 0x80);
        // In well-formed text the cut is the last character boundary within the limit.
        const std::string_view whole = text.substr(0, zero == std::string_view::npos ? text.size() : zero);
        if (WholeUtf8(whole)) {
            Check(WholeUtf8(head.substr(0, kept)));
            Check(kept == limit || kept + Utf8Length(static_cast<unsigned char>(text[kept])) > limit);
        }
    } else if (rule.leadBytes.any()) {
        Check(limit - kept <= 1);
        // Walking from the start by pairs lands exactly on the cut.
        size_t walked = 0;
        while (walked < kept) walked += rule.leadBytes[static_cast<unsigned char>(text[walked])] ? 2 : 1;
        Check(walked == kept);
    } else {
        Check(kept == limit);
    }
    return 0;
}
