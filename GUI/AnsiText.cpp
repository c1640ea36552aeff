#include "GUI/AnsiText.h"

#include "core/TextCut.h"

#include <windows.h>

#include <cstring>

namespace {

core::CharacterRule CharacterRuleOf(unsigned codePage) {
    if (codePage == CP_UTF8) return core::CharacterRule::Utf8();
    core::CharacterRule rule;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte)
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte))) rule.leadBytes.set(byte);
    return rule;
}

}  // namespace

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string WideToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

std::string AnsiFromField(const char* field, size_t size) {
    const void* end = std::memchr(field, '\0', size);
    return std::string(field, end ? static_cast<const char*>(end) - field : size);
}

unsigned AnsiCodePage() { return GetACP(); }

void AnsiToField(const std::string& text, char* field, size_t size, unsigned codePage) {
    if (size == 0) return;
    std::memset(field, 0, size);
    const size_t length = core::CharacterPrefixLength(text, size - 1, CharacterRuleOf(codePage));
    std::memcpy(field, text.data(), length);
}
