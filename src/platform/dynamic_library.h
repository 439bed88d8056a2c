#pragma once

#include <string>

namespace platform {

// Loads a shared library (LoadLibraryA; dlopen with RTLD_NOW | RTLD_GLOBAL). Null on failure.
void* loadLibrary(const std::string& path);

// An exported symbol of a loaded library, or null.
void* findSymbol(void* library, const char* name);

}  // namespace platform
