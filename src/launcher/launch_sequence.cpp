#include "launcher/launch_sequence.h"

#include <cstdio>

#include "classpath/class_path_builder.h"
#include "config/property_file.h"
#include "deferred/exclusive_run.h"
#include "jvm/jvm_loader.h"
#include "jvm/jvm_options.h"
#include "jvm/main_class_invoker.h"
#include "launcher/exe_paths.h"
#include "launcher/exit_code.h"
#include "launcher/process_state.h"
#include "platform/console.h"
#include "platform/current_directory.h"
#include "platform/message_box.h"

namespace launcher {

namespace {

// A failed hosting step: its message on standard output (no line end), then in a box.
int fail(ExitCode code, const char* message) {
    std::fputs(message, stdout);
    std::fflush(stdout);
    platform::endPartialLineBeforeBox();
    platform::showMessageBox(message, "Error");
    return static_cast<int>(code);
}

constexpr const char* unwritableFolderMessage =
    "The name of the installation folder holds characters that the system's language settings "
    "cannot write, and the folder has no short (8.3) name. Install into a folder whose name "
    "the system's language can write, or switch on short names for its drive.";

}  // namespace

int runLaunch(void* instance) {
    appInstance = instance;
    // Until the JVM takes over its signals, a reader that has gone must not end the launch.
    platform::ignoreBrokenPipes();
    platform::attachParentConsole();
    if (!initExePaths()) {
        platform::reopenStandardStreamsOnConsole();
        return fail(ExitCode::optionsNotBuilt, unwritableFolderMessage);
    }
    platform::setCurrentDirectory(exeDir);

    // The list runs before the configuration is read, so an update may replace it.
    loadAndRunDeferredOperations();
    loadPropertyFile(launchProps, "launch.properties");
    loadPropertyFile(settingsProps, "settings.properties");

    platform::reopenStandardStreamsOnConsole();

    if (!buildJvmOptions())
        return fail(ExitCode::optionsNotBuilt, "Cannot load JVM options");
    if (!loadJvmLibrary())
        return fail(ExitCode::libraryNotLoaded, "Cannot load JVM library");
    if (!createJvm())
        return fail(ExitCode::creationFailed, "Cannot create JVM");
    switch (invokeMainClass()) {
        case MainInvocation::notFound:
            return fail(ExitCode::mainNotFound, "Cannot create JVM");
        case MainInvocation::threw:
            // Already reported by its box; the client's threads still get to finish.
            destroyJvm();
            return static_cast<int>(ExitCode::mainThrew);
        case MainInvocation::returned:
            break;
    }
    destroyJvm();
    return static_cast<int>(ExitCode::success);
}

}  // namespace launcher
