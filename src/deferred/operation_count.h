#pragma once

#include <string_view>

namespace launcher {

// The number of operations that the "size" value announces, read as atoi reads it (leading
// white space, an optional sign, decimal digits up to the first other character, 0 without
// digits), except that a number beyond the range of int is held at the nearest end of it.
int parseOperationCount(std::string_view text);

}  // namespace launcher
