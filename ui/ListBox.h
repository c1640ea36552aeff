// Single-selection list box of texts, unsorted, with a click event and a horizontal scroll bar
// that appears when an entry is wider than the box.
#pragma once

#include "ui/WindowedControl.h"

#include <functional>
#include <string>
#include <vector>

namespace ui {

class ListBox : public WindowedControl {
public:
    [[nodiscard]] bool Create(HWND parent, const ControlArgs& args);

    int Count() const;
    std::wstring Item(int index) const;
    std::vector<std::wstring> Items() const;
    void Add(const std::wstring& text);
    void Delete(int index);
    void Clear();
    // -1 when nothing is selected.
    int ItemIndex() const;
    void SetItemIndex(int index) const;
    void SetItemHeight(int height) const;

    // The user changed the selection (mouse or keyboard).
    std::function<void()> OnClick;
    void OnCommand(WORD notification) override;

private:
    void UpdateScrollWidth();
};

}  // namespace ui
