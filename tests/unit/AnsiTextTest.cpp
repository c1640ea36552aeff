// Texts cut to the fixed fields of the engine records, in the code pages a system may use as its
// ANSI code page: UTF-8 (a Windows 10 option), Japanese and Chinese double-byte, Western.
#include "GUI/AnsiText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Encode(const std::wstring& text, UINT codePage) {
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                        nullptr);
    return bytes;
}

// False when the bytes are not whole characters of the code page.
bool Decode(const std::string& bytes, UINT codePage, std::wstring& text) {
    text.clear();
    if (bytes.empty()) return true;
    const int length =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return false;
    text.resize(static_cast<size_t>(length));
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        length);
    return true;
}

struct CodePageCase {
    UINT codePage;
    const wchar_t* text;  // mixes one-byte and longer characters
};

}  // namespace

TEST(AnsiTextTest, EveryFieldSizeKeepsTheMostWholeCharactersThatFit) {
    const CodePageCase cases[] = {
        {CP_UTF8, L"j\u00F6rg\u20AC\U0001F600@\u65E5\u672C.example"},
        {932, L"a\u65E5\u672Cb\u30BD\u8868\uFF71c"},  // kanji, katakana whose trail byte is a backslash, half-width
        {936, L"a\u4E2D\u6587b\u7B80c"},
        {1252, L"caf\u00E9 na\u00EFve"},
    };
    for (const CodePageCase& c : cases) {
        SCOPED_TRACE("code page " + std::to_string(c.codePage));
        const std::wstring wide = c.text;
        const std::string bytes = Encode(wide, c.codePage);
        std::wstring roundTrip;
        ASSERT_TRUE(Decode(bytes, c.codePage, roundTrip) && roundTrip == wide) << "the code page is installed";
        // The encoded length of each prefix of whole characters.
        std::vector<size_t> boundaries{0};
        for (size_t i = 1; i <= wide.size(); ++i) {
            if (i < wide.size() && IS_LOW_SURROGATE(wide[i])) continue;
            boundaries.push_back(Encode(wide.substr(0, i), c.codePage).size());
        }
        for (size_t size = 1; size <= bytes.size() + 2; ++size) {
            SCOPED_TRACE("field of " + std::to_string(size) + " bytes");
            std::vector<char> field(size, 'x');
            AnsiToField(bytes, field.data(), field.size(), c.codePage);
            EXPECT_EQ(field.back(), '\0') << "the field always ends in a zero";
            const std::string kept = AnsiFromField(field.data(), field.size());
            size_t expected = 0;
            for (size_t boundary : boundaries)
                if (boundary <= size - 1) expected = boundary;
            EXPECT_EQ(kept, bytes.substr(0, expected));
            std::wstring decoded;
            EXPECT_TRUE(Decode(kept, c.codePage, decoded)) << "only whole characters";
        }
    }
}
