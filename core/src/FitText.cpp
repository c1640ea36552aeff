#include "core/FitText.h"

namespace core {

std::wstring FitTextToWidth(const std::wstring& text, int maxWidth, const MeasureText& measure) {
    if (measure(text) < maxWidth) return text;
    size_t fitting = 0;
    for (size_t j = 1; j <= text.size(); ++j) {
        if (measure(text.substr(0, j) + L"...") >= maxWidth) break;
        fitting = j;
    }
    if (fitting == 0) return std::wstring();
    return text.substr(0, fitting) + L"...";
}

}  // namespace core
