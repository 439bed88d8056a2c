#include "classpath/class_path_builder.h"
#include "classpath/jar_version.h"

namespace launcher {

bool matchesJarName(std::string_view fileName, std::string_view jarName) {
    if (fileName == jarName)
        return true;
    // core.jar stands for core__V<version>.jar; a name without '.' for anything it begins.
    const std::size_t lastDot = jarName.rfind('.');
    if (lastDot == std::string_view::npos)
        return fileName.starts_with(jarName);
    const std::string_view base = jarName.substr(0, lastDot);
    const std::string_view requiredEnd = jarName.substr(lastDot + 1);
    return fileName.starts_with(base) &&
           fileName.substr(base.size()).starts_with(jarVersionSeparator) &&
           fileName.ends_with(requiredEnd);
}

}  // namespace launcher
