// Transparent text label drawn by its container.
#pragma once

#include "ui/Font.h"
#include "ui/GraphicControl.h"

#include <string>

namespace ui {

enum class TextAlign { Left, Center };
enum class TextLayout { Top, Bottom };

struct LabelStyle {
    FontSpec font;
    COLORREF color = CLR_INVALID;  // CLR_INVALID: the system's window-text colour
    TextAlign align = TextAlign::Left;
    TextLayout layout = TextLayout::Top;
    bool wordWrap = false;
    bool autoSize = false;  // resize to the caption (left and top stay)
};

class Label : public GraphicControl {
public:
    Label();
    void SetStyle(const LabelStyle& style);
    void SetCaption(const std::wstring& caption);
    const std::wstring& Caption() const { return caption_; }
    void SetUnderline(bool underline);
    Font& GetFont() { return font_; }
    HFONT FontHandle() const { return font_.Handle(); }
    // How wide the caption is on one line in the label's font, in pixels.
    int TextWidth() const;

    void Paint(HDC dc) override;
    // The caption, unless the label was given a name of its own.
    std::wstring AccessibleName() const override;

private:
    UINT DrawFlags() const;
    COLORREF TextColor() const;
    void AdjustSize();

    LabelStyle style_;
    Font font_;
    std::wstring caption_;
};

}  // namespace ui
