// Pictures for a display scale. The artwork carries each picture drawn for 100, 125, 150 and
// 200 % (resource names without a suffix, and with _125, _150, _200); another scale takes the
// nearest larger drawing scaled down (the largest scaled up above 200 %). Only the one drawing
// the scale needs is decoded.
#pragma once

#include "ui/PngImage.h"

#include <windows.h>

namespace ui {

// The picture `name` at `dpi`: its 96-dpi size scaled. Empty when the resource is missing.
PngImage LoadPicture(HINSTANCE module, const wchar_t* name, int dpi);

// The size a picture of `name` has at `dpi`, read from the 100 % drawing's header; 0 x 0 when
// the resource is missing.
SIZE PictureSize(HINSTANCE module, const wchar_t* name, int dpi);

}  // namespace ui
