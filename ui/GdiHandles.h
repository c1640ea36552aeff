// One small owner per GDI/USER handle kind, and a scoped SelectObject.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace ui {

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, Handle{}));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    void Reset(Handle handle = Handle{}) {
        if (handle_) Traits::Close(handle_);
        handle_ = handle;
    }
    Handle Release() { return std::exchange(handle_, Handle{}); }
    Handle Get() const { return handle_; }
    operator Handle() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }

private:
    Handle handle_{};
};

struct GdiObjectTraits { static void Close(HGDIOBJ h) { DeleteObject(h); } };
struct DCTraits { static void Close(HDC h) { DeleteDC(h); } };
struct IconTraits { static void Close(HICON h) { DestroyIcon(h); } };
struct MenuTraits { static void Close(HMENU h) { DestroyMenu(h); } };

using ScopedBitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using ScopedBrush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using ScopedPen = UniqueHandle<HPEN, GdiObjectTraits>;
using ScopedFont = UniqueHandle<HFONT, GdiObjectTraits>;
using ScopedRegion = UniqueHandle<HRGN, GdiObjectTraits>;
using ScopedIcon = UniqueHandle<HICON, IconTraits>;
using ScopedMenu = UniqueHandle<HMENU, MenuTraits>;

// A memory DC compatible with `reference` (the screen when null).
class ScopedMemoryDC : public UniqueHandle<HDC, DCTraits> {
public:
    explicit ScopedMemoryDC(HDC reference = nullptr) : UniqueHandle(CreateCompatibleDC(reference)) {}
};

// GetDC/ReleaseDC of a window (the screen when null).
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~ScopedWindowDC() { if (dc_) ReleaseDC(hwnd_, dc_); }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    operator HDC() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// A top-down 32-bit DIB section and its pixels (blue, green, red, alpha bytes per pixel).
struct ScopedDib {
    ScopedBitmap bitmap;
    uint32_t* bits = nullptr;

    ScopedDib() = default;
    ScopedDib(ScopedDib&& other) noexcept : bitmap(std::move(other.bitmap)), bits(std::exchange(other.bits, nullptr)) {}
    ScopedDib& operator=(ScopedDib&& other) noexcept {
        bitmap = std::move(other.bitmap);
        bits = std::exchange(other.bits, nullptr);
        return *this;
    }

    explicit operator bool() const { return bitmap && bits; }
};

inline ScopedDib CreateDib32(int width, int height) {
    ScopedDib dib;
    if (width <= 0 || height <= 0) return dib;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dib.bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (dib.bitmap) dib.bits = static_cast<uint32_t*>(bits);
    return dib;
}

class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelect() { if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace ui
