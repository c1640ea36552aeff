#include "core/FitText.h"

#include <gtest/gtest.h>

using core::FitTextToWidth;

namespace {
// Every character is 5 pixels wide, like a fixed-pitch font.
int Fixed(const std::wstring& text) { return static_cast<int>(text.size()) * 5; }
}  // namespace

TEST(FitTextToWidth, Table) {
    struct Case {
        std::wstring text;
        int width;
        std::wstring expected;
    } cases[] = {
        {L"abc", 16, L"abc"},           // 15 < 16: fits whole
        {L"abc", 15, L""},              // exactly as wide is shortened, and "a..." (20) is too wide
        {L"abcdef", 21, L"a..."},       // "ab..." (25) is too wide
        {L"abcdefgh", 36, L"abcd..."},  // "abcd..." is 35 < 36
        {L"abcdefgh", 35, L"abc..."},
        {L"abcdef", 20, L""},           // even "a..." (20) does not fit
        {L"", 10, L""},
        {L"", 0, L""},
        {L"abc", -5, L""},
    };
    for (const Case& c : cases) EXPECT_EQ(FitTextToWidth(c.text, c.width, Fixed), c.expected) << c.width;
}

TEST(FitTextToWidth, StopsAtTheFirstPrefixThatDoesNotFit) {
    // A measure that is not monotonic: the search never looks past the first failure.
    auto odd = [](const std::wstring& text) { return text == L"ab..." ? 100 : static_cast<int>(text.size()); };
    EXPECT_EQ(FitTextToWidth(L"abcdefghijklmnopqrstuvwxyz0123456789", 30, odd), L"a...");
}
