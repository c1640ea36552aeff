// The rules of the music-folder list: which paths may be added, when one folder lies inside
// another, and which entries a new folder replaces. Paths are Windows paths in UTF-16.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace core {

constexpr size_t kMaxMusicFolders = 32;
// The longest folder path the engine's record and the folder browser hold.
constexpr size_t kMaxMusicFolderLength = 259;

// Compares two texts of the same length without regard to letter case. The program passes the
// user's locale; AsciiEqualIgnoringCase folds only a-z.
using EqualIgnoringCase = bool (*)(std::wstring_view a, std::wstring_view b);

bool AsciiEqualIgnoringCase(std::wstring_view a, std::wstring_view b);

// True when `path` lies strictly inside `folder`: D:\Music\Rock inside D:\Music and D:\, but
// D:\Musical not inside D:\Music, and nothing inside itself. One trailing backslash on either
// side is ignored.
bool IsSubfolderOf(std::wstring_view path, std::wstring_view folder, EqualIgnoringCase equal);

// Position of the first entry equal to `path` with ASCII letters compared without regard to case
// and every other character exactly; -1 if none.
int IndexOfFolder(const std::vector<std::wstring>& folders, std::wstring_view path);

// A local folder: a drive letter, a colon and a backslash first (no share, no relative path), and
// short enough for the engine to take whole.
bool IsAcceptedFolderPath(std::wstring_view path);

enum class FolderAddOutcome {
    Added,          // append `path` after removing `replaced`
    InvalidPath,    // not a local folder path
    AlreadyListed,  // listed already (ASCII letter case aside); nothing to do, nothing to say
    InsideListed,   // lies inside the entry at `coveringIndex`; refused
};

struct FolderAddPlan {
    FolderAddOutcome outcome = FolderAddOutcome::InvalidPath;
    size_t coveringIndex = 0;
    // Entries lying inside the new folder, ascending; they go without a message.
    std::vector<size_t> replaced;
};

// Decides what adding `path` to `folders` does. Does not check the number of entries: the
// caller refuses a full list before asking the user for a folder.
FolderAddPlan PlanFolderAddition(const std::vector<std::wstring>& folders, std::wstring_view path,
                                 EqualIgnoringCase equal);

// The list after an Added plan: the survivors in their order, then `path`. Other outcomes
// return `folders` unchanged.
std::vector<std::wstring> ApplyFolderAddition(const std::vector<std::wstring>& folders, std::wstring_view path,
                                              const FolderAddPlan& plan);

}  // namespace core
