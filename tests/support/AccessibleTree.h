// Reads a window's accessibility tree as a screen reader does, through the system's
// accessibility library (in this process or across processes).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tests {

struct AccessibleNode {
    long role = 0;
    std::wstring roleText, name, value, description, defaultAction;
    long state = 0;
    RECT location{};  // screen coordinates
    std::vector<AccessibleNode> children;

    bool Invisible() const { return (state & 0x8000) != 0; }  // STATE_SYSTEM_INVISIBLE
    // The first node below (or at) this one with `name`; null when none.
    const AccessibleNode* Find(const std::wstring& wanted) const;
};

// The tree below the client object of `hwnd` (AccessibleObjectFromWindow), `depth` levels deep.
// false when the window gave no object.
[[nodiscard]] bool ReadAccessibleTree(HWND hwnd, AccessibleNode& root, int depth = 4);

// One line per element, indented by depth: role "name" [value] (description) {action} <states>.
// Invisible elements are listed only with `withInvisible`.
std::wstring FormatAccessibleTree(const AccessibleNode& root, bool withInvisible = false);

// The visible children's roles and names, "role: name", in order.
std::vector<std::wstring> VisibleChildren(const AccessibleNode& node);

// Prints a tree to standard output as UTF-8, under a heading.
void PrintAccessibleTree(const char* heading, const AccessibleNode& root);

}  // namespace tests
