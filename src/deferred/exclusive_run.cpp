// Carrying out the deferred list one launcher at a time.
#include "deferred/exclusive_run.h"

#include <optional>

#include "config/process_state.h"
#include "deferred/deferred_operations.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

void loadAndRunDeferredOperations() {
    // Two starts at once (a double-click that seems to do nothing, then another) would both
    // carry out one list: the second deletes what the first has just put in place.
    platform::DirectoryLock* lock = nullptr;
    std::optional<ListIdentity> loadedList;
    // Most starts find no list: they pay for this one test and nothing more.
    if (platform::systemCalls().pathExists((exeDir + "deferred_operations").c_str())) {
        lock = platform::lockDirectory(exeDir);
        if (lock == nullptr) {
            // Unexcluded, another start could carry out the same list at once and undo it.
            const std::string message =
                "Cannot make sure that no other start carries out the deferred operations in '" +
                exeDir + "'. They are left for the next start.";
            platform::writeOutput(message + '\n');
            finishDeferredRun({false, message});
            return;
        }
        // Loaded only under the lock: a start that waited finds what the other one left.
        loadedList = loadDeferredOperations();
    }
    const DeferredRunEnd end = runDeferredOperations(loadedList);
    // Released before a box or the client, so that the next start never waits for either.
    platform::unlockDirectory(lock);
    finishDeferredRun(end);
}

}  // namespace launcher
