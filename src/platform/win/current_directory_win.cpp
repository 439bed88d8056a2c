// Windows only.
#include <windows.h>

#include "platform/current_directory.h"

namespace platform {

bool setCurrentDirectory(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) != 0;
}

std::string currentDirectory() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return {};
    std::string buffer(needed, '\0');
    const DWORD length = GetCurrentDirectoryA(needed, buffer.data());
    buffer.resize(length < needed ? length : 0);
    return buffer;
}

}  // namespace platform
