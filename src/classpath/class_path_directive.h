#pragma once

#include <map>
#include <string_view>
#include <vector>

namespace launcher {

// Jar names by directory text, directories in byte-wise order, names in the order written (a
// name written twice stands twice). The current directory's text is "". Views into the
// directive, which must outlive them.
using JarNamesByDir = std::map<std::string_view, std::vector<std::string_view>>;

// Reads a ';'-separated jvm.classpath value; each entry divides at its last '/' into the
// directory text as written and the jar name. Nothing is trimmed or unescaped.
JarNamesByDir parseClassPathDirective(std::string_view directive);

}  // namespace launcher
