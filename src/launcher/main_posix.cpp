// The POSIX entry point.
#include "launcher/launch_sequence.h"
#include "platform/process_and_console.h"

int main(int argc, char** argv) {
    platform::recordProcessArguments(argc, argv);
    return launcher::runLaunch(nullptr);
}
