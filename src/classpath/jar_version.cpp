#include "classpath/jar_version.h"

namespace launcher {

const std::string jarVersionSeparator = "__V";

std::string extractJarVersion(std::string_view fileName) {
    const std::size_t separator = fileName.find(jarVersionSeparator);
    if (separator == std::string_view::npos)
        return {};
    const std::size_t start = separator + jarVersionSeparator.size();
    const std::size_t lastDot = fileName.rfind('.');
    if (lastDot == std::string_view::npos)
        return std::string(fileName.substr(start));
    if (lastDot <= start)
        return {};
    return std::string(fileName.substr(start, lastDot - start));
}

}  // namespace launcher
