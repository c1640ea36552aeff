// How many GDI and USER objects the calling process holds. GetGuiResources answers where the
// system implements it. Wine does not (it fails with ERROR_CALL_NOT_IMPLEMENTED); there the objects
// are found by probing every handle value, which Wine accepts in its short 16-bit form.
#pragma once

#include <windows.h>

namespace bench {

struct GuiObjectCounts {
    DWORD gdi = 0;
    DWORD user = 0;
};

namespace detail {

inline DWORD ProbeGdiObjects() {
    DWORD count = 0;
    for (UINT_PTR value = 1; value <= 0xFFFF; ++value) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0) ++count;
    }
    return count;
}

// Windows, menus, icons and cursors, and accelerator tables; Wine numbers them 0x20, 0x22, ...
inline DWORD ProbeUserObjects() {
    const DWORD self = GetCurrentProcessId();
    DWORD count = 0;
    for (UINT_PTR value = 0x20; value <= 0xFFFE; value += 2) {
        const HWND window = reinterpret_cast<HWND>(value);
        DWORD owner = 0;
        if (IsWindow(window) && GetWindowThreadProcessId(window, &owner) && owner == self) {
            ++count;
        } else if (IsMenu(reinterpret_cast<HMENU>(value))) {
            ++count;
        } else if (CopyAcceleratorTableW(reinterpret_cast<HACCEL>(value), nullptr, 0) > 0) {
            ++count;
        } else {
            ICONINFO info{};
            if (GetIconInfo(reinterpret_cast<HICON>(value), &info)) {
                ++count;
                // The answer's bitmaps are copies made for the asker.
                if (info.hbmMask) DeleteObject(info.hbmMask);
                if (info.hbmColor) DeleteObject(info.hbmColor);
            }
        }
    }
    return count;
}

}  // namespace detail

inline GuiObjectCounts CountOwnGuiObjects() {
    GuiObjectCounts counts;
    SetLastError(ERROR_SUCCESS);
    counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counts.gdi == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        counts.gdi = detail::ProbeGdiObjects();  // first: probing the USER objects makes GDI copies
        counts.user = detail::ProbeUserObjects();
        return counts;
    }
    counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return counts;
}

}  // namespace bench
