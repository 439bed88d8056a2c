#include "classpath/jar_version.h"

namespace launcher {

const std::string jarVersionSeparator(versionSeparator);

std::string_view extractJarVersion(std::string_view fileName) {
    return JarFileName(fileName).version();
}

}  // namespace launcher
