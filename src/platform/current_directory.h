#pragma once

#include <string>

namespace platform {

// Makes path the current directory; false when that fails.
bool setCurrentDirectory(const std::string& path);

// The current directory as an absolute path, or empty when it can't be read.
std::string currentDirectory();

}  // namespace platform
