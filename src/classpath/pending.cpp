// Temporary: replaced by the class path builder.
#include "classpath/class_path_builder.h"
namespace launcher {
std::string buildClassPath() {
    return {};
}
}  // namespace launcher
