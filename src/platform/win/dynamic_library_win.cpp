// Windows only.
#include <windows.h>

#include "platform/dynamic_library.h"

namespace platform {

void* loadLibrary(const std::string& path) {
    // A NUL would load the library named by the text before it.
    if (path.find('\0') != std::string::npos)
        return nullptr;
    return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}

void* findSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace platform
