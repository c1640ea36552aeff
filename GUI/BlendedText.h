// Text drawn as black ink whose anti-aliased coverage is its alpha, blended onto a 32-bit bitmap.
#pragma once

#include <windows.h>

#include <string>

// The size `text` takes in bold Arial of `fontSize` points at `dpi` (0: this screen's scale).
SIZE MeasureBlendedText(int fontSize, const std::wstring& text, int dpi = 0);

// Draws `text` in black bold Arial of `fontSize` points onto `target`, a 32-bit bitmap holding
// premultiplied pixels, with its top-left corner at (x, y); -1 centres the text on that axis.
// False when `target` is not a 32-bit bitmap or drawing failed.
// Points become pixels at `dpi` (0: this screen's scale).
[[nodiscard]] bool DrawBlendedText(int x, int y, int fontSize, HBITMAP target, const std::wstring& text,
                                   int dpi = 0);
