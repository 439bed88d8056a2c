#pragma once

namespace launcher {

// The process exit codes of a launch.
enum class ExitCode : int {
    success = 0,
    // The launch could not be prepared: the installation folder's name can't be used by the
    // launcher's file calls, the JVM options could not be built, or a deferred operation or the
    // class path build gave up.
    notPrepared = 1,
    libraryNotLoaded = 2,
    creationFailed = 3,
    mainNotFound = 4,
    mainThrew = 5,
    // The installation folder can't be made the current directory.
    folderNotCurrent = 6,
};

}  // namespace launcher
