#pragma once

#include <optional>
#include <string>

namespace platform {

// Full path of the running executable as a narrow string, of any length; empty when the system
// can't tell it. On Windows it is in the ANSI code page: its long form when that converts
// without loss and leaves room below its directory, otherwise its short (8.3) form. Nothing
// when neither form can be written in the code page; on POSIX the bytes are as they are.
std::optional<std::string> executablePath();

}  // namespace platform
