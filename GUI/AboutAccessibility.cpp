// What screen readers find in the About window: its picture's two lines of text.
#include "GUI/AboutUnit.h"

#include "GUI/BlendedText.h"
#include "ui/Dpi.h"

#include <oleacc.h>

std::vector<ui::AccessibleItem> TAboutForm::AccessibleItems() const {
    // The window is its picture, pixel for pixel: the lines sit where they were drawn into it.
    RECT client = ClientRect();
    MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int width = client.right - client.left;
    std::vector<ui::AccessibleItem> items;
    for (const TextLine& line : TextLines()) {
        const SIZE size = MeasureBlendedText(line.fontSize, line.text, Dpi());
        ui::AccessibleItem item;
        item.role = ROLE_SYSTEM_STATICTEXT;
        item.name = line.text;
        const int left = client.left + (width - size.cx) / 2;
        const int top = client.top + ui::Scale(line.top, Dpi());
        item.screen = RECT{left, top, left + size.cx, top + size.cy};
        item.invisible = !IsWindowVisible(Handle());
        items.push_back(std::move(item));
    }
    return items;
}
