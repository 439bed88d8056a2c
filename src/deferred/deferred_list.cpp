#include "deferred/deferred_list.h"

#include <optional>

#include "config/process_state.h"
#include "config/property_file.h"
#include "deferred/deferred_operations.h"
#include "deferred/own_files.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

void carryOutDeferredList() {
    removeMovedAsideLauncherAtStart(exePath, exeDir);
    // Two starts at once (a double-click that seems to do nothing, then another) would both
    // carry out one list: the second deletes what the first has just put in place.
    platform::Owned<platform::DirectoryLock> lock;
    std::optional<ListIdentity> loadedList;
    const std::string listPath = listFilePath(exeDir, listFileName);
    const std::string takenPath = listFilePath(exeDir, takenListFileName);
    const std::string progressPath = listFilePath(exeDir, progressFileName);
    const auto exists = [](const std::string& path) {
        return platform::systemCalls().pathExists(path.c_str());
    };
    // Most starts find none of the list's files: they pay for these tests and nothing more.
    if (exists(listPath) || exists(progressPath) || exists(takenPath)) {
        lock = platform::lockDirectory(exeDir, exclusionWaitMs);
        if (lock == nullptr) {
            // Unexcluded, another start could carry out the same list at once and undo it.
            const std::string message =
                "Cannot make sure that no other start carries out the deferred operations in '" +
                exeDir + "'. They are left for the next start.";
            platform::writeOutput(message + '\n');
            finishDeferredRun(StepResult::done(message));
            return;
        }
        if (exists(takenPath))
            deleteOrRestoreTakenList(exeDir);
        // Loaded only under the lock: a start that waited finds what the other one left.
        loadedList = loadDeferredOperations();
        // A record whose list is gone (the run was stopped between the two removals) is stale.
        // Removed only under the lock: another start may have begun a new list meanwhile.
        if (!hasProperty(deferredOps, "size"))
            (void)removeOwnFile(exeDir, progressFileName);  // else tried again next start
    }
    const StepResult end = runDeferredOperations(loadedList);
    // Released before a box or the client, so that the next start never waits for either.
    lock.reset();
    finishDeferredRun(end);
}

}  // namespace launcher
