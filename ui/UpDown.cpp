#include "ui/UpDown.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

bool UpDown::Create(HWND parent, const ControlArgs& args, Edit& buddy) {
    ControlArgs spin = args;
    spin.style |= UDS_ARROWKEYS | UDS_NOTHOUSANDS;
    if (!CreateControl(parent, UPDOWN_CLASSW, spin)) return false;
    buddy_ = &buddy;
    // Binding after creation keeps the spin buttons where the layout put them.
    SendMessageW(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy.Handle()), 0);
    SetBounds(args.left, args.top, args.width, args.height);
    return true;
}

void UpDown::SetRange(int minimum, int maximum) const {
    SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
}

int UpDown::Min() const {
    int minimum = 0;
    SendMessageW(Handle(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&minimum), 0);
    return minimum;
}

int UpDown::Max() const {
    int maximum = 0;
    SendMessageW(Handle(), UDM_GETRANGE32, 0, reinterpret_cast<LPARAM>(&maximum));
    return maximum;
}

int UpDown::Position() const { return static_cast<int>(SendMessageW(Handle(), UDM_GETPOS32, 0, 0)); }

void UpDown::SetPosition(int position) const {
    SendMessageW(Handle(), UDM_SETPOS32, 0, std::clamp(position, Min(), Max()));
}

std::optional<int> UpDown::ParseWholeNumber(const std::wstring& text, int minimum, int maximum) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::nullopt;
    const size_t last = text.find_last_not_of(L' ');
    long long value = 0;
    for (size_t i = first; i <= last; ++i) {
        const wchar_t ch = text[i];
        if (ch < L'0' || ch > L'9') return std::nullopt;
        value = value * 10 + (ch - L'0');
        if (value > maximum) return std::nullopt;  // also keeps long digit runs from overflowing
    }
    if (value < minimum) return std::nullopt;
    return static_cast<int>(value);
}

bool UpDown::FollowBuddyText() const {
    if (!buddy_) return false;
    const std::optional<int> value = ParseWholeNumber(buddy_->Text(), Min(), Max());
    if (!value) return false;
    SendMessageW(Handle(), UDM_SETPOS32, 0, *value);
    return true;
}

void UpDown::OnScroll(WORD code, short) {
    if (code != SB_THUMBPOSITION) return;
    if (buddy_) buddy_->SetText(std::to_wstring(Position()));
    if (OnChange) OnChange();
}

}  // namespace ui
