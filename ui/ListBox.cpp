#include "ui/ListBox.h"

#include "ui/GdiHandles.h"

#include <algorithm>

namespace ui {

bool ListBox::Create(HWND parent, const ControlArgs& args) {
    ControlArgs box = args;
    box.style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    box.exStyle |= WS_EX_CLIENTEDGE;
    return CreateControl(parent, L"LISTBOX", box);
}

int ListBox::Count() const {
    const LRESULT count = SendMessageW(Handle(), LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::wstring ListBox::Item(int index) const {
    const LRESULT length = SendMessageW(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(Handle(), LB_GETTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

std::vector<std::wstring> ListBox::Items() const {
    std::vector<std::wstring> items;
    const int count = Count();
    items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) items.push_back(Item(i));
    return items;
}

void ListBox::Add(const std::wstring& text) {
    SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    UpdateScrollWidth();
}

void ListBox::Delete(int index) {
    SendMessageW(Handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    UpdateScrollWidth();
}

void ListBox::Clear() {
    SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
    UpdateScrollWidth();
}

int ListBox::ItemIndex() const {
    const LRESULT index = SendMessageW(Handle(), LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void ListBox::SetItemIndex(int index) const { SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void ListBox::SetItemHeight(int height) const {
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
}

void ListBox::OnCommand(WORD notification) {
    if (notification == LBN_SELCHANGE && OnClick) OnClick();
}

void ListBox::UpdateScrollWidth() {
    // Long paths stay readable: the box scrolls sideways to the widest entry.
    ScopedWindowDC dc(Handle());
    if (!dc) return;
    ScopedSelect font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::wstring& item : Items()) {
        SIZE size{};
        GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(item.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    SendMessageW(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 4), 0);
}

}  // namespace ui
