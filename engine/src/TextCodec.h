// Conversions between the engine's UTF-8, the client's UTF-16 and the 8-bit record fields in
// the system ANSI code page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tovelink {

// Invalid UTF-8 sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);

// nullopt when utf8 is not well-formed.
std::optional<std::wstring> StrictUtf8ToWide(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

// A UTF-16 text from the client, read up to its zero but never beyond maxUnits.
std::wstring BoundedWide(const wchar_t* text, size_t maxUnits);

// An 8-bit field of a record: read up to its zero but never beyond the field.
std::string AnsiFieldToUtf8(const char* field, size_t fieldSize);

// Fills a whole 8-bit field: the text in the ANSI code page, cut before the first character
// that no longer fits, then zeros to the end of the field.
void Utf8ToAnsiField(std::string_view utf8, char* field, size_t fieldSize);

}  // namespace tovelink
