#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace launcher {

// Whether text is one or more decimal digits and nothing else.
bool isAllDigits(std::string_view text);

// The number that text writes in decimal digits and nothing else (no sign, no white space), when
// it is at most largest; nothing otherwise.
std::optional<std::uint64_t> parseDecimal(
    std::string_view text, std::uint64_t largest = std::numeric_limits<std::uint64_t>::max());

// A number from a configuration file, read as the C library's atoi reads it (leading white
// space, an optional sign, decimal digits up to the first other character, 0 without digits),
// except that a number beyond the range of int is held at the nearest end of it instead of
// being undefined.
int parseLeadingInt(std::string_view text);

}  // namespace launcher
