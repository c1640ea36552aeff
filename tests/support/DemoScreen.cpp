#include "DemoScreen.h"

#include <algorithm>
#include <cstdlib>

namespace tests {

namespace {

int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

struct Search {
    const wchar_t* className;
    const std::wstring* text;
    bool password;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
    Search& search = *reinterpret_cast<Search*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (CompareStringOrdinal(name, -1, search.className, -1, TRUE) != CSTR_EQUAL) return TRUE;
    if (search.password && !(GetWindowLongW(window, GWL_STYLE) & ES_PASSWORD)) return TRUE;
    if (search.text && !search.text->empty() && TextOf(window) != *search.text) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

int ClientPixels::Count(const RECT& area, uint32_t rgb, int tolerance) const {
    int count = 0;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height); ++y)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width); ++x) {
            uint32_t pixel = At(x, y);
            if (std::abs(Channel(pixel, 16) - Channel(rgb, 16)) <= tolerance &&
                std::abs(Channel(pixel, 8) - Channel(rgb, 8)) <= tolerance &&
                std::abs(Channel(pixel, 0) - Channel(rgb, 0)) <= tolerance)
                ++count;
        }
    return count;
}

int ClientPixels::Reddish(const RECT& area) const {
    int count = 0;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height); ++y)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width); ++x) {
            uint32_t pixel = At(x, y);
            if (Channel(pixel, 16) > 150 && Channel(pixel, 8) < 90 && Channel(pixel, 0) < 90) ++count;
        }
    return count;
}

uint64_t ClientPixels::Fingerprint(const RECT& area) const {
    uint64_t hash = 1469598103934665603ull;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height); ++y)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width); ++x)
            hash = (hash ^ At(x, y)) * 1099511628211ull;
    return hash;
}

ClientPixels CaptureClient(HWND window) {
    ClientPixels capture;
    RECT client;
    if (!GetClientRect(window, &client)) return capture;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    capture.width = client.right;
    capture.height = client.bottom;
    if (capture.width <= 0 || capture.height <= 0) return capture;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, capture.width, capture.height, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        const uint32_t* source = static_cast<const uint32_t*>(bits);
        capture.pixels.assign(source, source + static_cast<size_t>(capture.width) * capture.height);
        for (uint32_t& pixel : capture.pixels) pixel &= 0x00FFFFFF;
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (capture.pixels.empty()) capture.width = capture.height = 0;
    return capture;
}

HWND FindControl(HWND top, const wchar_t* className, const std::wstring& text) {
    Search search{className, &text, false, nullptr};
    EnumChildWindows(top, Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindPasswordEdit(HWND top) {
    Search search{L"Edit", nullptr, true, nullptr};
    EnumChildWindows(top, Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void TypeInto(HWND edit, const std::wstring& text) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Press(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    // WM_GETTEXT rather than GetWindowText: the latter does not ask another process's controls.
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace tests
