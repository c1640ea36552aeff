#include "ui/Font.h"

#include "ui/Dpi.h"

namespace ui {

FontSpec ScaledFont(FontSpec spec, int dpi) {
    spec.height = Scale(spec.height, dpi);
    return spec;
}

void Font::Set(const FontSpec& spec) {
    LOGFONTW lf{};
    lf.lfHeight = spec.height;
    lf.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = spec.underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = spec.cleartype ? CLEARTYPE_QUALITY : DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, spec.face.c_str(), LF_FACESIZE);
    const HFONT created = CreateFontIndirectW(&lf);
    if (!created) return;
    Release();
    font_ = created;
    spec_ = spec;
}

void Font::SetUnderline(bool underline) {
    if (font_ && spec_.underline == underline) return;
    FontSpec spec = spec_;
    spec.underline = underline;
    Set(spec);
}

void Font::Release() {
    if (font_) DeleteObject(font_);
    font_ = nullptr;
}

}  // namespace ui
