#pragma once
// Windows only: conversions from UTF-16 to the system's ANSI code page.

#include <string>

namespace platform::win {

// Converts length wide characters (or up to the NUL when length is -1) with CP_ACP. With a
// defaultChar, unrepresentable characters become it; otherwise the code page's own default.
std::string wideToAnsi(const wchar_t* text, int length, const char* defaultChar);

}  // namespace platform::win
