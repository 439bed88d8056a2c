#pragma once

#include <string>
#include <string_view>

namespace launcher {

// Separates a jar's base name from its version: lib__V2.1.0.jar is version 2.1.0 of lib.jar.
extern const std::string jarVersionSeparator;

// The version carried by a jar file name: the text after the first separator up to the last
// '.', up to the end when there is no '.', and empty when there is no separator or the last
// '.' does not lie after it.
std::string extractJarVersion(std::string_view fileName);

}  // namespace launcher
