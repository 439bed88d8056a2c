#pragma once

#include <cstddef>
#include <string_view>

namespace reference {

// The documented rule by which a directory entry stands for a configured jar name, written as
// plainly as it reads: the product's index must find exactly what it accepts.
inline bool matchesJarName(std::string_view fileName, std::string_view jarName) {
    if (fileName == jarName)
        return true;
    // core.jar stands for core__V<version>.jar; a name without '.' for anything it begins.
    const std::size_t lastDot = jarName.rfind('.');
    if (lastDot == std::string_view::npos)
        return fileName.starts_with(jarName);
    const std::string_view base = jarName.substr(0, lastDot);
    const std::string_view requiredEnd = jarName.substr(lastDot + 1);
    return fileName.starts_with(base) && fileName.substr(base.size()).starts_with("__V") &&
           fileName.ends_with(requiredEnd);
}

}  // namespace reference
