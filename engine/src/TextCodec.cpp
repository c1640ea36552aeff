#include "TextCodec.h"

#include <windows.h>

#include <cstring>

namespace tovelink {

namespace {

std::wstring MultiByteToWide(UINT codePage, DWORD flags, std::string_view text, bool& ok) {
    ok = true;
    if (text.empty()) return {};
    int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0);
    if (length <= 0) {
        ok = false;
        return {};
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    bool ok;
    return MultiByteToWide(CP_UTF8, 0, utf8, ok);
}

std::optional<std::wstring> StrictUtf8ToWide(std::string_view utf8) {
    bool ok;
    std::wstring wide = MultiByteToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, ok);
    if (!ok) return std::nullopt;
    return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                        length, nullptr, nullptr);
    return utf8;
}

std::wstring BoundedWide(const wchar_t* text, size_t maxUnits) {
    if (!text) return {};
    size_t length = 0;
    while (length < maxUnits && text[length] != L'\0') ++length;
    return std::wstring(text, length);
}

std::string AnsiFieldToUtf8(const char* field, size_t fieldSize) {
    size_t length = 0;
    while (length < fieldSize && field[length] != '\0') ++length;
    bool ok;
    return WideToUtf8(MultiByteToWide(CP_ACP, 0, std::string_view(field, length), ok));
}

void Utf8ToAnsiField(std::string_view utf8, char* field, size_t fieldSize) {
    if (fieldSize == 0) return;
    std::memset(field, 0, fieldSize);
    std::wstring wide = Utf8ToWide(utf8);
    size_t used = 0;
    const size_t capacity = fieldSize - 1;  // room for the terminating zero
    for (size_t i = 0; i < wide.size();) {
        // One character at a time (a surrogate pair stays whole), so a cut never splits one.
        int units = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() &&
                            IS_LOW_SURROGATE(wide[i + 1])
                        ? 2
                        : 1;
        if (wide[i] == L'\0') break;
        char bytes[16];
        int count = WideCharToMultiByte(CP_ACP, 0, wide.data() + i, units, bytes, sizeof bytes,
                                        nullptr, nullptr);
        if (count <= 0 || used + static_cast<size_t>(count) > capacity) break;
        std::memcpy(field + used, bytes, static_cast<size_t>(count));
        used += static_cast<size_t>(count);
        i += static_cast<size_t>(units);
    }
}

}  // namespace tovelink
