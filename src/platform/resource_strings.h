#pragma once

#include <string>

namespace platform {

// The built-in text with the given number from the module's string resources (Windows) or the
// compiled-in table (POSIX), as a narrow string; empty when there is none.
std::string loadResourceString(void* moduleInstance, unsigned id);

}  // namespace platform
