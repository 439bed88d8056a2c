// The directories that the list's operations leave empty: removed after each operation,
// except those a later operation moves a file into.
#pragma once

#include <map>
#include <string>

#include "deferred/deferred_run.h"

namespace launcher {

// Whether dir (as the list writes it) must stay for now: a later operation of the run moves a
// file into it, or into a directory below it, however either is written.
bool keptDirectory(DeferredRun& run, const std::string& dir);

// Removes the directories that hold path in the launcher directory, innermost first
// (directoriesHolding), stopping silently at the first that can't be removed or that keptDirectory
// says must stay. The launcher directory itself is never a candidate.
void removeEmptyDirectories(DeferredRun& run, const std::string& path);

// The upward removal after an operation on path that an earlier run carried out but was
// stopped in: the directories it already removed are passed over.
void finishRemovalOfEmptiedDirectories(DeferredRun& run, const std::string& path);

}  // namespace launcher
