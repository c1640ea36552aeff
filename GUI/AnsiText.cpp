#include "GUI/AnsiText.h"

#include <windows.h>

#include <cstring>

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

void AnsiToField(const std::string& text, char* field, size_t size) {
    if (size == 0) return;
    std::memset(field, 0, size);
    size_t length = 0;
    const size_t room = size - 1;
    // Walk whole characters so a double-byte character is never split at the end.
    while (length < text.size()) {
        const size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[length])) ? 2 : 1;
        if (length + step > room || length + step > text.size()) break;
        length += step;
    }
    std::memcpy(field, text.data(), length);
}
