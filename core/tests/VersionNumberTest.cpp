#include "core/VersionNumber.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const core::VersionNumber kOwn{1, 0, 5233};

std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

struct NewerCase {
    const wchar_t* version;
    bool newer;
};

TEST(VersionNumber, NewerThanOwnVersionTable) {
    const NewerCase cases[] = {
        {L"1.0.5233", false},
        {L"1.0.5233.9", false},     // the fourth piece is ignored
        {L"0.9.9999", false},
        {L"1.0.5234", true},
        {L"1.1", true},             // missing revision counts as 0
        {L"2", true},
        {L"1.0", false},
        {L"", false},               // an absent attribute reads as empty text: 0.0.0
        {L" 1.\t0. 5234", true},    // blanks and tabs before pieces are skipped
        {L"1..0.5234", true},       // empty pieces are dropped
        {L"1.0\r\n5234", true},     // a line break also ends a piece
        {L"1.0.5234.garbage", true},
        {L"+1.0.5234", true},
        {L"1.0.0005234", true},
        {L"1.-1.9999999", false},
        {L"2147483647.0.0", true},
        {L"-2147483648.9.9", false},
    };
    for (const NewerCase& c : cases) {
        const std::optional<core::VersionNumber> parsed = core::ParseVersion(c.version);
        ASSERT_TRUE(parsed.has_value()) << Narrow(c.version);
        EXPECT_EQ(core::IsNewer(*parsed, kOwn), c.newer) << Narrow(c.version);
    }
}

TEST(VersionNumber, NonIntegerPieceAmongTheFirstThreeIsAnError) {
    const wchar_t* const cases[] = {
        L"1.0.5234a", L"1.0.52 34", L"1.0.5234 ",  // only leading blanks are skipped
        L"1.x", L"v2", L"1.0.0x10", L"1.0.$1F", L"1.+.0", L"1.-", L"1.0.2147483648",
        L"-2147483649", L"99999999999999999999", L"1.0.\x0665",  // Arabic-Indic five is not decimal
    };
    for (const wchar_t* c : cases) EXPECT_FALSE(core::ParseVersion(c).has_value()) << Narrow(c);
}

TEST(VersionNumber, PiecesAreSplitAtDotsAndLineBreaks) {
    struct SplitCase {
        const wchar_t* text;
        std::vector<std::wstring> pieces;
    };
    const SplitCase cases[] = {
        {L"1.0.5233", {L"1", L"0", L"5233"}},
        {L"", {}},
        {L" . \t.\n\r", {}},
        {L"\t 7 .8", {L"7 ", L"8"}},  // trailing blanks stay part of the piece
        {L"a.b\nc\rd", {L"a", L"b", L"c", L"d"}},
        {L"...5", {L"5"}},
    };
    for (const SplitCase& c : cases) {
        const std::vector<std::wstring_view> pieces = core::SplitVersionPieces(c.text);
        ASSERT_EQ(pieces.size(), c.pieces.size()) << Narrow(c.text);
        for (size_t i = 0; i < pieces.size(); ++i) EXPECT_EQ(std::wstring(pieces[i]), c.pieces[i]) << Narrow(c.text);
    }
}

TEST(VersionNumber, IntegerConversionKeepsTheWholeSignedRange) {
    EXPECT_EQ(core::ParseVersionInteger(L"2147483647"), 2147483647);
    EXPECT_EQ(core::ParseVersionInteger(L"-2147483648"), INT32_MIN);
    EXPECT_EQ(core::ParseVersionInteger(L"-0"), 0);
    EXPECT_FALSE(core::ParseVersionInteger(L"").has_value());
    EXPECT_FALSE(core::ParseVersionInteger(L"-").has_value());
}

TEST(VersionNumber, OrderIsMajorThenMinorThenRevision) {
    EXPECT_TRUE(core::IsNewer({2, 0, 0}, {1, 99, 99999}));
    EXPECT_TRUE(core::IsNewer({1, 1, 0}, {1, 0, 99999}));
    EXPECT_FALSE(core::IsNewer({1, 0, 99999}, {1, 1, 0}));
    EXPECT_FALSE(core::IsNewer({0, 99, 99999}, {1, 0, 0}));
}

}  // namespace
