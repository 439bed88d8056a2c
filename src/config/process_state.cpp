#include "config/process_state.h"

#include "config/paths.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

void* appInstance = nullptr;
std::string exePath;
std::string exeDir;

PropertyMap deferredOps;
PropertyMap launchProps;
PropertyMap settingsProps;

bool initExePaths() {
    const std::optional<platform::ExecutablePath> executable = platform::executablePath();
    if (!executable)
        return false;
    exePath = executable->path.value_or(std::string());
    exeDir = directoryOf(exePath, systemPathStyle());
    return true;
}

}  // namespace launcher
