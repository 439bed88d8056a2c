// POSIX only.
#include <dlfcn.h>

#include "platform/current_directory.h"
#include "platform/dynamic_library.h"

namespace platform {

void* loadLibrary(const std::string& path) {
    // dlopen("") would hand back the main program; an empty path names no library, and one
    // with a NUL would load the library named by the text before it.
    if (path.empty() || path.find('\0') != std::string::npos)
        return nullptr;
    // A relative path with a directory part is resolved here, against the current directory,
    // as Windows does: the library then knows its own absolute location, from which HotSpot
    // finds the rest of its installation later, after the current directory has changed.
    if (path.front() != '/' && path.find('/') != std::string::npos) {
        const std::string absolute = currentDirectory() + "/" + path;
        return ::dlopen(absolute.c_str(), RTLD_NOW | RTLD_GLOBAL);
    }
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
}

void* findSymbol(void* library, const char* name) {
    return ::dlsym(library, name);
}

}  // namespace platform
