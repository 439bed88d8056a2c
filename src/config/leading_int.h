#pragma once

#include <string_view>

namespace launcher {

// A number from a configuration file, read as the C library's atoi reads it (leading white
// space, an optional sign, decimal digits up to the first other character, 0 without digits),
// except that a number beyond the range of int is held at the nearest end of it instead of
// being undefined.
int parseLeadingInt(std::string_view text);

}  // namespace launcher
