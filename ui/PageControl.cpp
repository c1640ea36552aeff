#include "ui/PageControl.h"

#include "ui/GdiHandles.h"

#include <commctrl.h>

namespace ui {

bool PageControl::Create(HWND parent, const ControlArgs& args) {
    ControlArgs tabs = args;
    tabs.style |= WS_TABSTOP | WS_CLIPSIBLINGS | TCS_TABS | TCS_FOCUSONBUTTONDOWN;
    return CreateControl(parent, WC_TABCONTROLW, tabs);
}

Panel* PageControl::AddPage(const std::wstring& caption) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    const int index = static_cast<int>(SendMessageW(Handle(), TCM_INSERTITEMW, pages_.size(),
                                                    reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return nullptr;

    auto page = std::make_unique<Panel>();
    const RECT rect = PageRect();
    if (!page->Create(GetParent(Handle()), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top)) {
        SendMessageW(Handle(), TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
        return nullptr;
    }
    page->SetText(caption);  // never drawn; the name screen readers give the page
    // Directly after the tabs and the pages before it: the order Tab visits.
    const HWND previous = pages_.empty() ? Handle() : pages_.back()->Handle();
    SetWindowPos(page->Handle(), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    pages_.push_back(std::move(page));
    FitPages();
    ShowActivePage();
    return pages_.back().get();
}

int PageControl::ActivePageIndex() const { return static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0)); }

void PageControl::SetActivePageIndex(int index) {
    if (index < 0 || index >= PageCount()) return;
    SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowActivePage();
}

void PageControl::Place(int left, int top, int width, int height) {
    SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    FitPages();
}

RECT PageControl::PageRect() const {
    RECT rect{};
    GetClientRect(Handle(), &rect);
    SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
    MapWindowPoints(Handle(), GetParent(Handle()), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PageControl::FitPages() {
    const RECT page = PageRect();
    for (const auto& panel : pages_) {
        SetWindowPos(panel->Handle(), nullptr, page.left, page.top, page.right - page.left, page.bottom - page.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    // The tab control lies above its pages in z-order; a region without the display area keeps
    // it from painting over them and leaves the clicks there to the page.
    RECT client{};
    GetClientRect(Handle(), &client);
    RECT display = client;
    SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    ScopedRegion frame(CreateRectRgn(client.left, client.top, client.right, client.bottom));
    ScopedRegion inside(CreateRectRgn(display.left, display.top, display.right, display.bottom));
    if (!frame || !inside || pages_.empty()) return;
    CombineRgn(frame, frame, inside, RGN_DIFF);
    if (SetWindowRgn(Handle(), frame, TRUE)) frame.Release();  // the window owns it now
}

void PageControl::ShowActivePage() {
    const int active = ActivePageIndex();
    for (int i = 0; i < PageCount(); ++i) {
        if (i != active) Page(i).Hide();
    }
    if (active >= 0 && active < PageCount()) Page(active).Show(SW_SHOWNA);
}

LRESULT PageControl::OnNotify(const NMHDR* header) {
    if (header->code == TCN_SELCHANGE) {
        ShowActivePage();
        if (OnChange) OnChange();
    }
    return 0;
}

}  // namespace ui
