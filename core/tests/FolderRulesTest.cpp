#include "core/FolderRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using core::FolderAddOutcome;

// Stands in for the user's locale: folds the Latin-1 capitals too.
wchar_t Latin1Lower(wchar_t ch) {
    const bool upper = (ch >= L'A' && ch <= L'Z') || (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7);
    return upper ? static_cast<wchar_t>(ch + 0x20) : ch;
}

bool Latin1EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Latin1Lower(a[i]) != Latin1Lower(b[i])) return false;
    }
    return true;
}

std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

struct SubfolderCase {
    const wchar_t* path;
    const wchar_t* folder;
    bool inside;
};

TEST(FolderRules, IsSubfolderOfOnlyStrictlyInsideAtABackslash) {
    const SubfolderCase cases[] = {
        {L"D:\\Music\\Rock", L"D:\\Music", true},
        {L"D:\\Music\\Rock", L"D:\\", true},
        {L"D:\\Music\\Rock\\Live", L"D:\\Music", true},      // any depth
        {L"D:\\Musical", L"D:\\Music", false},               // a longer name is a sibling
        {L"D:\\Music", L"D:\\Music\\Rock", false},           // the other way round
        {L"D:\\Music", L"D:\\Music", false},                 // nothing inside itself
        {L"D:\\Music\\", L"D:\\Music", false},
        {L"D:\\Music", L"D:\\Music\\", false},
        {L"D:\\", L"D:\\", false},
        {L"D:\\Music\\Rock\\", L"D:\\Music", true},          // trailing backslashes are ignored
        {L"D:\\Music\\Rock", L"D:\\Music\\", true},
        {L"D:\\Music\\Rock\\", L"D:\\Music\\", true},
        {L"d:\\MUSIC\\Rock", L"D:\\Music", true},            // letter case does not matter
        {L"D:\\Music\\Rock", L"d:\\music", true},
        {L"E:\\Music\\Rock", L"D:\\Music", false},           // another drive
        {L"D:\\Music\\Rock", L"", false},                    // an empty entry holds nothing local
        {L"", L"D:\\Music", false},
        {L"D:\\Music\\\\", L"D:\\Music", true},              // only one trailing backslash is dropped
    };
    for (const SubfolderCase& c : cases) {
        EXPECT_EQ(core::IsSubfolderOf(c.path, c.folder, core::AsciiEqualIgnoringCase), c.inside)
            << Narrow(c.path) << " in " << Narrow(c.folder);
    }
}

TEST(FolderRules, IsSubfolderOfComparesCaseWithTheGivenRule) {
    // Beyond ASCII, letter case follows the comparison the caller hands in (the user's locale).
    const std::wstring path = L"D:\\\u00C4rger\\Rock";
    const std::wstring folder = L"D:\\\u00E4rger";
    EXPECT_TRUE(core::IsSubfolderOf(path, folder, Latin1EqualIgnoringCase));
    EXPECT_FALSE(core::IsSubfolderOf(path, folder, core::AsciiEqualIgnoringCase));
}

TEST(FolderRules, IndexOfFolderFoldsAsciiLettersOnly) {
    const std::vector<std::wstring> folders = {L"C:\\Audio", L"D:\\Music", L"D:\\\u00C4rger", L"D:\\Music"};
    struct Case {
        const wchar_t* path;
        int index;
    } cases[] = {
        {L"D:\\Music", 1},          // the first of two equal entries
        {L"d:\\MUSIC", 1},
        {L"D:\\Music\\", -1},       // a trailing backslash makes another text
        {L"D:\\Musi", -1},
        {L"C:\\audio", 0},
        {L"D:\\\u00C4rger", 2},
        {L"D:\\\u00E4rger", -1},    // letters beyond ASCII compare exactly
        {L"", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(core::IndexOfFolder(folders, c.path), c.index) << Narrow(c.path);
    EXPECT_EQ(core::IndexOfFolder({}, L"D:\\Music"), -1);
}

TEST(FolderRules, OnlyLocalDrivePathsOfAtMost259CharactersAreAccepted) {
    const std::wstring longest = L"D:\\" + std::wstring(core::kMaxMusicFolderLength - 3, L'a');
    struct Case {
        std::wstring path;
        bool accepted;
    } cases[] = {
        {L"D:\\", true},
        {L"z:\\music", true},
        {longest, true},
        {longest + L"b", false},          // would not reach the engine whole
        {L"D:", false},                   // shorter than 3
        {L"D:Music", false},              // drive-relative
        {L"\\\\server\\share", false},    // a network share
        {L"1:\\Music", false},
        {L"\u00C4:\\Music", false},       // only ASCII drive letters
        {L"D/\\Music", false},
        {L"D:/Music", false},
        {L"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(core::IsAcceptedFolderPath(c.path), c.accepted) << Narrow(c.path);
}

struct AdditionCase {
    const char* name;
    std::vector<std::wstring> folders;
    std::wstring path;
    FolderAddOutcome outcome;
    size_t coveringIndex;
    std::vector<std::wstring> after;
};

TEST(FolderRules, AdditionRefusesReplacesOrAppends) {
    const AdditionCase cases[] = {
        {"appended to an empty list", {}, L"D:\\Music", FolderAddOutcome::Added, 0, {L"D:\\Music"}},
        {"drive root replaces the folders on it, keeps others in order",
         {L"D:\\Music", L"C:\\Audio", L"D:\\Video"}, L"D:\\", FolderAddOutcome::Added, 0,
         {L"C:\\Audio", L"D:\\"}},
        {"parent replaces nested entries at any depth", {L"D:\\Music\\Rock\\Live", L"D:\\Musical", L"D:\\Music\\Pop"},
         L"D:\\Music", FolderAddOutcome::Added, 0, {L"D:\\Musical", L"D:\\Music"}},
        {"inside a listed folder is refused naming the first covering entry",
         {L"C:\\Audio", L"D:\\", L"D:\\Music"}, L"D:\\Music\\Rock", FolderAddOutcome::InsideListed, 1,
         {L"C:\\Audio", L"D:\\", L"D:\\Music"}},
        {"listed again in other letter case is ignored", {L"D:\\Music"}, L"d:\\music",
         FolderAddOutcome::AlreadyListed, 0, {L"D:\\Music"}},
        {"same folder with a trailing backslash is neither equal nor inside", {L"D:\\Music"}, L"D:\\Music\\",
         FolderAddOutcome::Added, 0, {L"D:\\Music", L"D:\\Music\\"}},
        {"a share is refused", {L"D:\\Music"}, L"\\\\server\\music", FolderAddOutcome::InvalidPath, 0,
         {L"D:\\Music"}},
        {"a short path is refused", {}, L"D:", FolderAddOutcome::InvalidPath, 0, {}},
        {"the duplicate test comes before the nesting test", {L"D:\\", L"D:\\Music"}, L"D:\\MUSIC",
         FolderAddOutcome::AlreadyListed, 0, {L"D:\\", L"D:\\Music"}},
    };
    for (const AdditionCase& c : cases) {
        const core::FolderAddPlan plan = core::PlanFolderAddition(c.folders, c.path, core::AsciiEqualIgnoringCase);
        EXPECT_EQ(plan.outcome, c.outcome) << c.name;
        if (c.outcome == FolderAddOutcome::InsideListed) EXPECT_EQ(plan.coveringIndex, c.coveringIndex) << c.name;
        if (c.outcome != FolderAddOutcome::Added) EXPECT_TRUE(plan.replaced.empty()) << c.name;
        EXPECT_EQ(core::ApplyFolderAddition(c.folders, c.path, plan), c.after) << c.name;
    }
}

TEST(FolderRules, ReplacedEntriesAreListedAscending) {
    const std::vector<std::wstring> folders = {L"D:\\a", L"C:\\x", L"D:\\b", L"D:\\c\\d"};
    const core::FolderAddPlan plan = core::PlanFolderAddition(folders, L"D:\\", core::AsciiEqualIgnoringCase);
    ASSERT_EQ(plan.outcome, FolderAddOutcome::Added);
    EXPECT_EQ(plan.replaced, (std::vector<size_t>{0, 2, 3}));
}

}  // namespace
