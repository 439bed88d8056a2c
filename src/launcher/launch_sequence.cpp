#include "launcher/launch_sequence.h"

#include <cstddef>
#include <optional>
#include <string>

#include "config/process_state.h"
#include "config/property_file.h"
#include "config/resource_string.h"
#include "deferred/deferred_list.h"
#include "jvm/jvm_loader.h"
#include "jvm/jvm_options.h"
#include "jvm/main_class_invoker.h"
#include "launcher/exit_code.h"
#include "launcher/start_log.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

// The box in which a hosting step says why it failed.
void showStepBox(const std::string& text) {
    platform::showMessageBox(text, loadResourceString(captionTextId));
}

// A failed hosting step: its message on the launcher's output (no line end), then in a box.
int fail(ExitCode code, const char* message) {
    platform::writeOutput(message);
    platform::endPartialLineBeforeBox();
    platform::showMessageBox(message, "Error");
    return static_cast<int>(code);
}

constexpr const char* unwritableFolderMessage =
    "The name of the installation folder holds characters that the system's language settings "
    "cannot write, and the folder has no short (8.3) name. Install into a folder whose name "
    "the system's language can write, or switch on short names for its drive.";

constexpr const char* folderNotCurrentMessage =
    "The installation folder cannot be made the current directory, and the launcher uses no "
    "other folder's files. Its path may be longer than the system allows: install into a folder "
    "with a shorter path, or turn on long paths in Windows.";

}  // namespace

int runLaunch(void* instance) {
    appInstance = instance;
    // Until the JVM takes over its signals, a reader that has gone must not end the launch.
    platform::ignoreBrokenPipes();
    platform::attachParentConsole();
    // Asked before the deferred run, whose lines come before the console step.
    const bool outputHasDestination = platform::standardOutputHasDestination();
    if (!initExePaths()) {
        platform::reopenStandardStreamsOnConsole();
        return fail(ExitCode::notPrepared, unwritableFolderMessage);
    }
    // The class path, "version" and the JVM library are found through the current directory:
    // any other would lend the start another folder's files. An unknown folder (empty) fails
    // here too.
    if (!platform::setCurrentDirectory(exeDir)) {
        platform::reopenStandardStreamsOnConsole();
        return fail(ExitCode::folderNotCurrent, folderNotCurrentMessage);
    }
    if (!outputHasDestination) {
        const std::size_t argumentCount = platform::processArguments().size();
        openStartLog(exeDir, exePath, argumentCount > 0 ? argumentCount - 1 : 0);
    }

    // The list runs before the configuration is read, so an update may replace it.
    carryOutDeferredList();
    reopenStartLog();
    loadPropertyFile(launchProps, "launch.properties");
    loadPropertyFile(settingsProps, "settings.properties");

    platform::reopenStandardStreamsOnConsole();

    if (!buildJvmOptions())
        return fail(ExitCode::notPrepared, "Cannot load JVM options");
    if (const StepResult library = loadJvmLibrary(); library.failed()) {
        showStepBox(library.boxText());
        return fail(ExitCode::libraryNotLoaded, "Cannot load JVM library");
    }
    if (const StepResult creation = createJvm(); creation.failed()) {
        showStepBox(creation.boxText());
        return fail(ExitCode::creationFailed, "Cannot create JVM");
    }
    if (const StepResult found = findMainMethod(); found.failed()) {
        showStepBox(found.boxText());
        return fail(ExitCode::mainNotFound, "Cannot create JVM");
    }
    if (const StepResult call = callMainMethod(); call.failed()) {
        // Its box alone reports it; the client's threads still get to finish.
        showStepBox(call.boxText());
        destroyJvm();
        return static_cast<int>(ExitCode::mainThrew);
    }
    destroyJvm();
    return static_cast<int>(ExitCode::success);
}

}  // namespace launcher
