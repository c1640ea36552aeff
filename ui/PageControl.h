// A tab control with pages. Each page is a panel laid over the tab control's display area as its
// sibling, next in z-order, so Tab moves from the tabs into the active page and on to whatever
// follows the page control. The tab control keeps its drawing to the tabs and the frame.
#pragma once

#include "ui/Panel.h"
#include "ui/WindowedControl.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class PageControl : public WindowedControl {
public:
    [[nodiscard]] bool Create(HWND parent, const ControlArgs& args);
    // Appends a tab and its page; null when the page could not be created.
    [[nodiscard]] Panel* AddPage(const std::wstring& caption);

    int PageCount() const { return static_cast<int>(pages_.size()); }
    Panel& Page(int index) const { return *pages_.at(static_cast<size_t>(index)); }
    int ActivePageIndex() const;
    // Shows the page without raising OnChange; an index out of range changes nothing.
    void SetActivePageIndex(int index);

    // Moves and sizes the tab control; the pages follow.
    void Place(int left, int top, int width, int height);
    // The pages' rectangle in the parent's client coordinates.
    RECT PageRect() const;

    // The user chose another tab.
    std::function<void()> OnChange;
    LRESULT OnNotify(const NMHDR* header) override;

private:
    void FitPages();
    void ShowActivePage();

    std::vector<std::unique_ptr<Panel>> pages_;
};

}  // namespace ui
