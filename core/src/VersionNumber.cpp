#include "core/VersionNumber.h"

#include <limits>

namespace core {

std::vector<std::wstring_view> SplitVersionPieces(std::wstring_view text) {
    std::vector<std::wstring_view> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(L".\r\n", start);
        if (end == std::wstring_view::npos) end = text.size();
        std::wstring_view piece = text.substr(start, end - start);
        const size_t first = piece.find_first_not_of(L" \t");
        if (first != std::wstring_view::npos) pieces.push_back(piece.substr(first));
        start = end + 1;
    }
    return pieces;
}

std::optional<int32_t> ParseVersionInteger(std::wstring_view piece) {
    bool negative = false;
    if (!piece.empty() && (piece.front() == L'+' || piece.front() == L'-')) {
        negative = piece.front() == L'-';
        piece.remove_prefix(1);
    }
    if (piece.empty()) return std::nullopt;
    // Accumulated as a magnitude so that the most negative value still fits.
    const int64_t limit = negative ? -int64_t{std::numeric_limits<int32_t>::min()}
                                   : int64_t{std::numeric_limits<int32_t>::max()};
    int64_t magnitude = 0;
    for (const wchar_t c : piece) {
        if (c < L'0' || c > L'9') return std::nullopt;
        magnitude = magnitude * 10 + (c - L'0');
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

std::optional<VersionNumber> ParseVersion(std::wstring_view text) {
    const std::vector<std::wstring_view> pieces = SplitVersionPieces(text);
    int32_t numbers[3] = {0, 0, 0};
    for (size_t i = 0; i < 3 && i < pieces.size(); ++i) {
        const std::optional<int32_t> number = ParseVersionInteger(pieces[i]);
        if (!number) return std::nullopt;
        numbers[i] = *number;
    }
    return VersionNumber{numbers[0], numbers[1], numbers[2]};
}

bool IsNewer(const VersionNumber& candidate, const VersionNumber& current) {
    if (candidate.major != current.major) return candidate.major > current.major;
    if (candidate.minor != current.minor) return candidate.minor > current.minor;
    return candidate.revision > current.revision;
}

}  // namespace core
