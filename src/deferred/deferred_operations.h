#pragma once

#include <optional>
#include <string>

#include "deferred/list_identity.h"

namespace launcher {

// Loads the list file exeDir + "deferred_operations" into deferredOps, as any property file is
// loaded, and tells which file it was, so that progress can be bound to it: nothing when the
// file could not be told apart from one written later.
std::optional<ListIdentity> loadDeferredOperations();

// How a run of the list ended: what is left to do once the list is let go (a box waits for
// the user, and nobody should wait for that to start).
struct DeferredRunEnd {
    bool gaveUp = false;  // an operation failed for good: the process ends with status 1
    std::string boxText;  // a box to show ("Cannot rename file ..."), or empty
};

// Carries out the list in deferredOps, loaded from the file that loadedList identifies (nothing
// for a list not loaded or not identified): deletions and renames relative to exeDir, retried
// under a shared budget, emptied directories removed, then the list file deleted. Before the
// first operation, what the list acts on is written through to the disk. When an operation
// fails for good, the list stays in place and the end says so; progress kept beside it
// (deferred_operations.progress), bound to the list's content, lets the next start with the
// same list go on after the operations already finished. A list whose progress can't be
// recorded, or that was not identified, is not carried out. The list's own files are never
// acted on, however a path reaches them, and a list put in place during the run stays for the
// next start. The caller holds the exclusion and removes a record left without its list.
DeferredRunEnd runDeferredOperations(const std::optional<ListIdentity>& loadedList);

// Shows the box of end, if any, then ends the process with exit status 1 if the run gave up.
void finishDeferredRun(const DeferredRunEnd& end);

}  // namespace launcher
