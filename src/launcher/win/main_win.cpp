// Windows only: the GUI-subsystem entry point. The command line reaches the client through
// GetCommandLineW, not through this function's argument.
#include <windows.h>

#include "launcher/launch_sequence.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*showCommand*/) {
    return launcher::runLaunch(instance);
}
