#include "config/process_state.h"

#include "platform/process_and_console.h"

namespace launcher {

void* appInstance = nullptr;
std::string exePath;
std::string exeDir;

PropertyMap deferredOps;
PropertyMap launchProps;
PropertyMap settingsProps;

std::string directoryOf(const std::string& path) {
    const std::size_t last = path.find_last_of("/\\");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

bool initExePaths() {
    const std::optional<std::string> path = platform::executablePath();
    if (!path)
        return false;
    exePath = *path;
    exeDir = directoryOf(exePath);
    return true;
}

}  // namespace launcher
