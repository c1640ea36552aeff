// Display scale. Layouts are given at 96 dpi and become pixels at a window's scale through Scale,
// the one place such values are converted. The newer scale functions of the system are looked up
// at run time, so the program still starts where they are missing.
#pragma once

#include <windows.h>

namespace ui {

constexpr int kDesignDpi = 96;

// A length given at 96 dpi in pixels at `dpi`, rounded to the nearest (halves away from zero).
inline int Scale(int value, int dpi) { return MulDiv(value, dpi, kDesignDpi); }

// Left, top, width and height each scaled, so sizes never depend on where a rectangle sits.
RECT ScaleRect(int left, int top, int width, int height, int dpi);

// The scale of the screen the program was started on.
int SystemDpi();
// The scale of the monitor `window` is on: GetDpiForWindow where it exists, else the system's.
int WindowDpi(HWND window);
// The shell's small icon (notification area) at `dpi`: 16, 20, 24, 32, ...
int SmallIconSize(int dpi);
// AdjustWindowRectEx for a window at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi);

}  // namespace ui
