#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The longest path, terminator included, that the narrow file calls of Windows take.
constexpr std::size_t narrowPathLimit = 260;

// What the directory of a path leaves under narrowPathLimit at least, for the names of the
// installation's files below it.
constexpr std::size_t roomForNamesBelow = 100;

// Chooses the form of a file's path that the narrow calls use: the long form when it converted
// without loss and its directory leaves roomForNamesBelow; otherwise the short form when it
// converted and is shorter; otherwise the long form as it is. Nothing when neither form
// converted. shortForm is asked only when needed.
std::optional<std::string> chooseNarrowPath(
    const std::optional<std::string>& longForm,
    const std::function<std::optional<std::string>()>& shortForm);

}  // namespace platform
