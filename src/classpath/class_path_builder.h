#pragma once

#include <string>
#include <string_view>

namespace launcher {

// Turns jvm.classpath and the file "version" into the class path, prints it and returns it.
// Ends the process with exit status 1 when a directory can't be scanned or a jar is missing.
std::string buildClassPath();

// The first line of the file "version" in the current directory, or "" when there is none.
std::string readClientVersion();

// Whether a directory entry named fileName stands for the configured jar jarName.
bool matchesJarName(std::string_view fileName, std::string_view jarName);

}  // namespace launcher
