// Icons and image lists whose frames can be told apart by colour, for the tray icon tests.
#pragma once

#include "ui/GdiHandles.h"

#include <windows.h>
#include <commctrl.h>

#include <optional>

namespace widget_test {

struct ImageListTraits { static void Close(HIMAGELIST h) { ImageList_Destroy(h); } };
using ScopedImageList = ui::UniqueHandle<HIMAGELIST, ImageListTraits>;

// A 16 x 16 icon filled with one opaque colour.
ui::ScopedIcon MakeSolidIcon(COLORREF color);
// The colour of frame `index` in MakeFrameList.
COLORREF FrameColor(int index);
// An image list of `count` solid 16 x 16 frames, frame i in FrameColor(i).
ScopedImageList MakeFrameList(int count);
// The colour at the centre of an icon as drawn, or nothing without an icon.
std::optional<COLORREF> IconColor(HICON icon);
// Which frame of MakeFrameList an icon shows, or -1.
int FrameOf(HICON icon, int count);

}  // namespace widget_test
