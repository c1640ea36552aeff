// Fuzz entry for the release-number rules: any text must parse or fail cleanly, and a success
// must agree with the pieces the splitter reports.
#include "core/VersionNumber.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Pairs of bytes as UTF-16 code units, the form the text arrives in from the XML document.
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));

    const std::vector<std::wstring_view> pieces = core::SplitVersionPieces(text);
    for (std::wstring_view piece : pieces) {
        if (piece.empty() || piece.front() == L' ' || piece.front() == L'\t') std::abort();
        if (piece.find_first_of(L".\r\n") != std::wstring_view::npos) std::abort();
    }
    const std::optional<core::VersionNumber> version = core::ParseVersion(text);
    bool firstThreeAreIntegers = true;
    int32_t expected[3] = {0, 0, 0};
    for (size_t i = 0; i < 3 && i < pieces.size(); ++i) {
        const std::optional<int32_t> number = core::ParseVersionInteger(pieces[i]);
        if (number) expected[i] = *number;
        else firstThreeAreIntegers = false;
    }
    if (version.has_value() != firstThreeAreIntegers) std::abort();
    if (version) {
        if (version->major != expected[0] || version->minor != expected[1] || version->revision != expected[2])
            std::abort();
        if (core::IsNewer(*version, *version)) std::abort();
    }
    return 0;
}
