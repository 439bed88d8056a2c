#pragma once

// The process-wide state: empty before the entry point runs, filled once by the step named,
// read by later steps, alive until the process ends. The JVM hosting state lives beside its
// steps (jvm/jvm_state.h).

#include <string>

#include "config/property_map.h"

namespace launcher {

extern void* appInstance;  // the module instance handle (Windows); null on POSIX
extern std::string exePath;
extern std::string exeDir;  // ends in its separator; empty when exePath holds none

extern PropertyMap deferredOps;
extern PropertyMap launchProps;
extern PropertyMap settingsProps;

// Sets exePath and exeDir from the running executable; false, leaving them empty, when its path
// has no form that the narrow file calls can use.
bool initExePaths();

}  // namespace launcher
