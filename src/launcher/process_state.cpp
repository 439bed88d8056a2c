#include "launcher/process_state.h"

namespace launcher {

void* appInstance = nullptr;
std::string exePath;
std::string exeDir;

PropertyMap deferredOps;
PropertyMap launchProps;
PropertyMap settingsProps;

}  // namespace launcher
