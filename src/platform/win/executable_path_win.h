#pragma once
// Windows only: the narrow form of the executable's path, with what decides it as parameters.

#include <optional>
#include <string>

namespace platform::win {

// The short (8.3) form of path as GetShortPathNameW gives it; empty when there is none.
using ShortPathQuery = std::wstring (*)(const std::wstring& path);
std::wstring shortPathOf(const std::wstring& path);

// The form of modulePath that narrow calls in codePage can use (see executablePath).
std::optional<std::string> narrowModulePath(const std::wstring& modulePath, unsigned codePage,
                                            ShortPathQuery shortPath);

}  // namespace platform::win
