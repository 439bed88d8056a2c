// Carrying out the deferred list one launcher at a time.
#include "deferred/exclusive_run.h"

#include <optional>

#include "config/process_state.h"
#include "deferred/deferred_operations.h"
#include "platform/files_and_directories.h"

namespace launcher {

void loadAndRunDeferredOperations() {
    // Two starts at once (a double-click that seems to do nothing, then another) would both
    // carry out one list: the second deletes what the first has just put in place.
    platform::FileLock* lock = nullptr;
    std::optional<ListIdentity> loadedList;
    // Most starts find no list: they pay for this one test and nothing more.
    if (platform::systemCalls().pathExists((exeDir + "deferred_operations").c_str())) {
        // Loaded only under the lock: a start that waited finds what the other one left. Where
        // no lock can be had (a directory this user may not write), the list runs as before.
        lock = platform::lockFile(exeDir + "deferred_operations.lock");
        loadedList = loadDeferredOperations();
    }
    const DeferredRunEnd end = runDeferredOperations(loadedList);
    // Released before a box or the client, so that the next start never waits for either.
    platform::unlockFile(lock);
    finishDeferredRun(end);
}

}  // namespace launcher
