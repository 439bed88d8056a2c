#pragma once

#include <string_view>

namespace launcher {

// Whether c is one of the decimal digits '0' to '9', in any locale.
bool isDecimalDigit(char c);

// Whether text is one or more decimal digits and nothing else.
bool isAllDigits(std::string_view text);

// A number from a configuration file, read as the C library's atoi reads it (leading white
// space, an optional sign, decimal digits up to the first other character, 0 without digits),
// except that a number beyond the range of int is held at the nearest end of it instead of
// being undefined.
int parseLeadingInt(std::string_view text);

}  // namespace launcher
