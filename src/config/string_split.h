#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// The parts of text between delimiters. An empty text has no parts, a trailing delimiter adds
// no empty part, a leading one and two adjacent ones do; nothing is trimmed.
std::vector<std::string> splitString(std::string_view text, char delimiter);

}  // namespace launcher
