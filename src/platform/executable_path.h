#pragma once

#include <string>

namespace platform {

// Full path of the running executable as a narrow string, of any length. On Windows characters
// that the ANSI code page can't represent become a blank; on POSIX the bytes are as they are.
std::string executablePath();

}  // namespace platform
