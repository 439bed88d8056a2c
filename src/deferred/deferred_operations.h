// The deferred list: file operations that an updater leaves for the next start, carried out
// before the JVM starts. Its files, in reading order:
//   deferred_list.h        the entry point: loads and carries out the list, one start at a time
//   deferred_operations.h  (this file) loads the list, carries out its operations in order,
//                          group by group, records progress, deletes the finished list
//   operation_groups.h     which consecutive operations go to the disk together, between syncs
//   deferred_run.h         what one run shares: launcher directory, list, retry budget, the
//                          current operation, what was found out about paths and directories
//   attempts.h             single attempts at an operation, and their retries under the run's
//                          shared budget
//   launcher_replacement.h the launcher's own file: removed or moved away only together with
//                          the rename that puts its successor in place
//   operation_count.h      the operation keys, and the "size" bounded to what the list describes
//   path_guard.h           which operations are refused (paths that lead out, devices, the
//                          list's own files); path_rules.h holds the rules on the path text
//   emptied_directories.h  removes the directories an operation emptied, keeps those a later
//                          rename moves into
//   progress_record.h      the progress record beside the list, and its writer
//   list_identity.h        reads the list file and tells one list from another
//   own_files.h            the files the launcher itself writes, moves and removes, and the
//                          finished list taken aside before it is deleted
#pragma once

#include <optional>
#include <string>

#include "config/step_result.h"
#include "deferred/list_identity.h"

namespace launcher {

// Loads the list file exeDir + "deferred_operations" into deferredOps, as any property file is
// loaded, and tells which file it was, so that progress can be bound to it: nothing when the
// file could not be told apart from one written later.
std::optional<ListIdentity> loadDeferredOperations();

// Carries out the list in deferredOps, loaded from the file that loadedList identifies (nothing
// for a list not loaded or not identified): deletions and renames relative to exeDir, retried
// under a shared budget, emptied directories removed, then the list file deleted. Before the
// first operation, what the list acts on is written through to the disk. When an operation
// fails for good, the list stays in place and the end says so; progress kept beside it
// (deferred_operations.progress), bound to the list's content, lets the next start with the
// same list go on after the operations already finished. A list whose progress can't be
// recorded, or that was not identified, is not carried out. The list's own files are never
// acted on, however a path reaches them, and a list put in place during the run stays for the
// next start. The caller holds the exclusion and removes a record left without its list, then
// shows the box of the end after releasing it (no other start should wait for a box). Failed:
// an operation failed for good, and the process ends with status 1.
StepResult runDeferredOperations(const std::optional<ListIdentity>& loadedList);

// Shows the box of end, if any, then ends the process with exit status 1 if the run gave up.
void finishDeferredRun(const StepResult& end);

}  // namespace launcher
