// Shortens a text with "..." until it is narrower than a width, measured by the caller.
#pragma once

#include <functional>
#include <string>

namespace core {

using MeasureText = std::function<int(const std::wstring& text)>;

// The text itself when narrower than maxWidth; otherwise its longest prefix k for which every
// prefix 1..k followed by "..." is narrower; an empty text when not even one character fits.
std::wstring FitTextToWidth(const std::wstring& text, int maxWidth, const MeasureText& measure);

}  // namespace core
