#pragma once
// Windows only: conversions between UTF-16 and the system's ANSI code page, and the wide forms
// of narrow paths.

#include <optional>
#include <string>
#include <string_view>

namespace platform::win {

// Converts length wide characters (or up to the NUL when length is -1) with CP_ACP. With a
// defaultChar, unrepresentable characters become it; otherwise the code page's own default.
std::string wideToAnsi(const wchar_t* text, int length, const char* defaultChar);

// The ANSI code page in effect (GetACP).
unsigned ansiCodePage();

// text in codePage without loss: nothing when a character has no form there (no best-fit
// look-alikes, no default character). UTF-8 takes no default-character arguments: with them
// the conversion fails outright.
std::optional<std::string> wideToCodePage(std::wstring_view text, unsigned codePage);

// text read in codePage; nothing when it holds a byte sequence that codePage does not define.
std::optional<std::wstring> codePageToWide(std::string_view text, unsigned codePage);

// The wide form of a narrow path (ANSI code page) that the wide file calls take whatever its
// length: as it is when it fits the narrow calls' limit, otherwise its full path with the
// long-path prefix. Empty when it does not convert.
std::wstring widePathForLongNames(const std::string& path);

}  // namespace platform::win
