// Operations carried out together between two syncs. The run writes what a group did through to
// the disk once, then records the group finished; a start stopped inside a group carries out the
// whole group again. That is exact only where no operation of the group acts on a name that
// another one of it also touches: then an operation already carried out finds its path gone and
// is skipped, and nothing of the group puts back what an earlier one of it removed. So a group is
// a run of consecutive operations whose paths and destinations, as the file system resolves their
// directories, are all different and none lies in another's directory tree. An operation on the
// launcher (see launcher_replacement.h) and one whose names can't be resolved stand alone.
#pragma once

#include <optional>
#include <string>

#include "deferred/deferred_run.h"

namespace launcher {

// A name of the list (a path in the launcher directory) as the file system knows it: its
// directory resolved, links followed, and its last part spelt for comparison. Two names with the
// same key are one; nothing where that can't be told (a directory that can't be resolved, on
// Windows an 8.3 alias or a letter beyond ASCII, which have other spellings).
std::optional<std::string> entryKey(const DeferredRun& run, const std::string& name);

// The end (exclusive, at most count) of the group that begins with operation first.
int endOfGroup(DeferredRun& run, int first, int count);

}  // namespace launcher
