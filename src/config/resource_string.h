#pragma once

#include <string>

namespace launcher {

// Built-in text 114: the caption of the JVM hosting message boxes.
constexpr unsigned captionTextId = 114;
// Built-in text 129: the default JVM options, separated by spaces.
constexpr unsigned defaultVmOptionsTextId = 129;

// The built-in text with number id as a narrow string, read afresh; empty when there is none.
std::string loadResourceString(unsigned id);

}  // namespace launcher
