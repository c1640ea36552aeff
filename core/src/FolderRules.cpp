#include "core/FolderRules.h"

#include <algorithm>

namespace core {

namespace {

wchar_t AsciiLower(wchar_t ch) { return ch >= L'A' && ch <= L'Z' ? static_cast<wchar_t>(ch - L'A' + L'a') : ch; }

bool IsAsciiLetter(wchar_t ch) { return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z'); }

size_t LengthWithoutTrailingBackslash(std::wstring_view text) {
    return !text.empty() && text.back() == L'\\' ? text.size() - 1 : text.size();
}

}  // namespace

bool AsciiEqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool IsSubfolderOf(std::wstring_view path, std::wstring_view folder, EqualIgnoringCase equal) {
    const size_t p = LengthWithoutTrailingBackslash(path);
    const size_t f = LengthWithoutTrailingBackslash(folder);
    if (f >= p || folder.size() > path.size()) return false;
    return equal(path.substr(0, folder.size()), folder) && path[f] == L'\\';
}

int IndexOfFolder(const std::vector<std::wstring>& folders, std::wstring_view path) {
    for (size_t i = 0; i < folders.size(); ++i) {
        if (AsciiEqualIgnoringCase(folders[i], path)) return static_cast<int>(i);
    }
    return -1;
}

bool IsAcceptedFolderPath(std::wstring_view path) {
    return path.size() >= 3 && path.size() <= kMaxMusicFolderLength && IsAsciiLetter(path[0]) && path[1] == L':' &&
           path[2] == L'\\';
}

FolderAddPlan PlanFolderAddition(const std::vector<std::wstring>& folders, std::wstring_view path,
                                 EqualIgnoringCase equal) {
    FolderAddPlan plan;
    if (!IsAcceptedFolderPath(path)) {
        plan.outcome = FolderAddOutcome::InvalidPath;
        return plan;
    }
    if (IndexOfFolder(folders, path) >= 0) {
        plan.outcome = FolderAddOutcome::AlreadyListed;
        return plan;
    }
    for (size_t i = 0; i < folders.size(); ++i) {
        if (IsSubfolderOf(path, folders[i], equal)) {
            plan.outcome = FolderAddOutcome::InsideListed;
            plan.coveringIndex = i;
            return plan;
        }
    }
    plan.outcome = FolderAddOutcome::Added;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (IsSubfolderOf(folders[i], path, equal)) plan.replaced.push_back(i);
    }
    return plan;
}

std::vector<std::wstring> ApplyFolderAddition(const std::vector<std::wstring>& folders, std::wstring_view path,
                                              const FolderAddPlan& plan) {
    if (plan.outcome != FolderAddOutcome::Added) return folders;
    std::vector<std::wstring> result;
    result.reserve(folders.size() + 1);
    for (size_t i = 0; i < folders.size(); ++i) {
        if (!std::binary_search(plan.replaced.begin(), plan.replaced.end(), i)) result.push_back(folders[i]);
    }
    result.emplace_back(path);
    return result;
}

}  // namespace core
