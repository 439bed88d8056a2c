#pragma once

#include <string>

namespace launcher {

// The directory part of path: everything up to and including its last '/' or '\'; empty when
// it holds neither.
std::string directoryOf(const std::string& path);

// Sets exePath and exeDir from the running executable; false, leaving them empty, when its path
// has no form that the narrow file calls can use.
bool initExePaths();

}  // namespace launcher
