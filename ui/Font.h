// An owned GDI font described by face, height and style, recreated when the style changes.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

struct FontSpec {
    std::wstring face = L"Tahoma";
    int height = -11;  // negative: character height in pixels (8 pt at 96 dpi)
    bool bold = false;
    bool underline = false;
    bool cleartype = false;
};

// `spec` with its height, given at 96 dpi, at `dpi`.
FontSpec ScaledFont(FontSpec spec, int dpi);

class Font {
public:
    Font() = default;
    explicit Font(const FontSpec& spec) { Set(spec); }
    ~Font() { Release(); }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    void Set(const FontSpec& spec);
    void SetUnderline(bool underline);
    const FontSpec& Spec() const { return spec_; }
    HFONT Handle() const { return font_; }

private:
    void Release();
    FontSpec spec_;
    HFONT font_ = nullptr;
};

}  // namespace ui
