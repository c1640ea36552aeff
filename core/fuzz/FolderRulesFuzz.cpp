// Fuzz entry for the music-folder rules. The input is UTF-16LE text split at line feeds: the first
// line is the folder to add, the rest the current list. Every answer must agree with the rules'
// own definitions, and nothing may read outside the texts.
#include "core/FolderRules.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::wstring> SplitLines(const uint8_t* data, size_t size) {
    std::vector<std::wstring> lines(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t ch = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (ch == L'\n') {
            if (lines.size() > core::kMaxMusicFolders) break;
            lines.emplace_back();
        } else {
            lines.back().push_back(ch);
        }
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::wstring> folders = SplitLines(data, size);
    const std::wstring path = folders.front();
    folders.erase(folders.begin());
    const auto equal = core::AsciiEqualIgnoringCase;

    for (const std::wstring& folder : folders) {
        Check(!core::IsSubfolderOf(folder, folder, equal));
        const bool inside = core::IsSubfolderOf(path, folder, equal);
        Check(!(inside && core::IsSubfolderOf(folder, path, equal)));
    }

    const core::FolderAddPlan plan = core::PlanFolderAddition(folders, path, equal);
    const std::vector<std::wstring> after = core::ApplyFolderAddition(folders, path, plan);
    switch (plan.outcome) {
    case core::FolderAddOutcome::InvalidPath:
        Check(!core::IsAcceptedFolderPath(path) && after == folders);
        break;
    case core::FolderAddOutcome::AlreadyListed:
        Check(core::IndexOfFolder(folders, path) >= 0 && after == folders);
        break;
    case core::FolderAddOutcome::InsideListed:
        Check(plan.coveringIndex < folders.size() &&
              core::IsSubfolderOf(path, folders[plan.coveringIndex], equal) && after == folders);
        break;
    case core::FolderAddOutcome::Added:
        Check(core::IsAcceptedFolderPath(path) && core::IndexOfFolder(folders, path) < 0);
        Check(std::is_sorted(plan.replaced.begin(), plan.replaced.end()));
        Check(after.size() == folders.size() - plan.replaced.size() + 1 && after.back() == path);
        for (size_t i = 0; i + 1 < after.size(); ++i) Check(!core::IsSubfolderOf(after[i], path, equal));
        break;
    }
    return 0;
}
