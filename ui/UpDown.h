// Spin buttons beside an edit box. The edit's text is the program's to manage: the buttons write
// the new position into it, and a whole number typed within the range moves the position.
#pragma once

#include "ui/Edit.h"
#include "ui/WindowedControl.h"

#include <functional>
#include <optional>
#include <string>

namespace ui {

class UpDown : public WindowedControl {
public:
    // The buddy edit gets the arrow keys; its changes are followed through FollowBuddyText.
    [[nodiscard]] bool Create(HWND parent, const ControlArgs& args, Edit& buddy);

    void SetRange(int minimum, int maximum) const;
    int Min() const;
    int Max() const;
    int Position() const;
    // Clamped to the range; the buddy's text is left alone.
    void SetPosition(int position) const;

    // Takes the buddy's text as the position when it is a whole number within the range; any
    // other text leaves the position as it was. Returns whether the text was taken.
    [[nodiscard]] bool FollowBuddyText() const;
    // A whole decimal number (digits only, blanks around it allowed) from `minimum` to `maximum`.
    static std::optional<int> ParseWholeNumber(const std::wstring& text, int minimum, int maximum);

    // The user moved the position with the buttons or the arrow keys (the buddy shows it already).
    std::function<void()> OnChange;
    void OnScroll(WORD code, short position) override;

private:
    Edit* buddy_ = nullptr;
};

}  // namespace ui
