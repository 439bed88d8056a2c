// Windows only: the GUI-subsystem entry point. The command line reaches the client through
// GetCommandLineW, not through this function's argument.
#include <windows.h>

#include "launcher/launch_sequence.h"
#include "platform/win/win_internal.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*showCommand*/) {
    // An executable that a list replaced was moved aside; once the process that ran from it has
    // ended, it can go. While that process still runs, this fails and a later start tries again.
    // The first call of these, before a list can move the file: they name it as it started.
    platform::win::deleteMovedAsideExecutable();
    return launcher::runLaunch(instance);
}
