#pragma once

#include <string_view>

namespace launcher {

// Whether path, taken relative to the launcher directory, climbs above it through ".." parts.
// Parts are separated by separator and by '/', which every platform accepts.
bool leavesLauncherDirectory(std::string_view path, char separator);

}  // namespace launcher
