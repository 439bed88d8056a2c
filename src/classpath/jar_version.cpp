#include "classpath/jar_version.h"

namespace launcher {

std::string_view extractJarVersion(std::string_view fileName) {
    return JarFileName(fileName).version();
}

}  // namespace launcher
