#include "ui/Panel.h"

namespace ui {

bool Panel::Create(HWND parent, int left, int top, int width, int height) {
    WindowClass cls;
    cls.name = L"TonalixPanel";
    CreateArgs args;
    args.style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    args.exStyle = WS_EX_CONTROLPARENT;
    args.x = left;
    args.y = top;
    args.width = width;
    args.height = height;
    args.parent = parent;
    return CreateHandle(cls, args);
}

}  // namespace ui
