#pragma once

#include <string>

namespace launcher {

// Turns jvm.classpath and the file "version" into the class path, prints it and returns it.
// Ends the process with exit status 1 when a directory can't be scanned or a jar is missing.
std::string buildClassPath();

}  // namespace launcher
