// The guard over the paths of the deferred list: what a deletion or rename must never act on.
#pragma once

#include <string>

#include "deferred/deferred_run.h"

namespace launcher {

// Notes in run what the file system knows the list's own files in the launcher directory by, as
// they are now.
void recognizeOwnFiles(DeferredRun& run);

// Why an operation on path must not be carried out at all (see refused), or null.
const char* refusalReason(DeferredRun& run, const std::string& path);

// Refuses a deletion or rename (name) of path, and for a rename its destination, whose paths
// could act on something else than they name: a path that leads out of the launcher directory
// (through "..", as an absolute path or through a link), names a device, is cut short by a NUL,
// or reaches one of the list's own files however it is written. Writes the Refuse line; true
// when refused. Other names are never refused. What is at the operation's paths is noted in
// run.found on the way.
bool refused(DeferredRun& run, const std::string& name, const std::string& path,
             const std::string& destination);
// refused, after a pause in which another program may have changed the directories (made one a
// link that leads out, say): what was found of them is looked at again.
bool refusedAfterPause(DeferredRun& run, const std::string& name, const std::string& path,
                       const std::string& destination);

// Forgets what a rename to destination may have changed of the directories found.
void noteRenamed(DeferredRun& run, const std::string& destination);

}  // namespace launcher
