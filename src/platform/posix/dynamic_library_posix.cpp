// POSIX only.
#include <dlfcn.h>

#include "platform/dynamic_library.h"

namespace platform {

void* loadLibrary(const std::string& path) {
    // dlopen("") would hand back the main program; an empty path names no library, and one
    // with a NUL would load the library named by the text before it.
    if (path.empty() || path.find('\0') != std::string::npos)
        return nullptr;
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
}

void* findSymbol(void* library, const char* name) {
    return ::dlsym(library, name);
}

}  // namespace platform
