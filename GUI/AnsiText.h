// The one conversion between the window side's UTF-16 and the engine records' 8-bit texts
// (the system ANSI code page).
#pragma once

#include <string>

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
// The text up to its terminating zero, never reading past `size` bytes.
std::string AnsiFromField(const char* field, size_t size);
// The system's ANSI code page, the one the engine records' texts are in.
unsigned AnsiCodePage();
// Copies `text` into a fixed field, cut at a character boundary of `codePage` so that it always
// ends in a zero and never in the middle of a character.
void AnsiToField(const std::string& text, char* field, size_t size, unsigned codePage = AnsiCodePage());
