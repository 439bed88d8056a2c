// The files beside the launcher that the launcher itself writes, moves and removes: the deferred
// list and its bookkeeping, and the launcher moved aside while its successor is renamed in. They
// are touched only through these functions, which never act through a link that leads out of the
// launcher directory (Windows acts on what a link leads to: Wine shows a POSIX link as a plain
// file).
#pragma once

#include <string>
#include <string_view>

#include "deferred/list_identity.h"

namespace launcher {

constexpr std::string_view listFileName = "deferred_operations";
constexpr std::string_view progressFileName = "deferred_operations.progress";
// Where a new record is written before it is renamed into place.
constexpr std::string_view progressTemporaryFileName = "deferred_operations.progress.tmp";
// Where a finished list is moved before it is deleted, so that a list renamed into place at
// that moment is never deleted unseen.
constexpr std::string_view takenListFileName = "deferred_operations.taken";

// The names above, for the checks that keep a list off its own files.
constexpr std::string_view listFileNames[] = {listFileName, progressFileName,
                                              progressTemporaryFileName, takenListFileName};

// The path of name in the launcher directory dir (which ends in a separator).
inline std::string listFilePath(const std::string& dir, std::string_view name) {
    return dir + std::string(name);
}

// The launcher's own file name in its directory dir (exePath without dir); empty when exePath
// does not lie directly in dir.
std::string launcherFileName(const std::string& exePath, const std::string& dir);

// Where a replacement moves the running launcher while the new one is renamed in (where a rename
// can't replace a running program): beside it, ".old" appended.
std::string movedAsideLauncherName(const std::string& launcherName);

// Removes or renames, without replacing anything, the file name in dir, unless it is a link that
// leads out of dir: true when done.
bool removeOwnFile(const std::string& dir, std::string_view name);
bool renameOwnFile(const std::string& dir, std::string_view from, std::string_view to);

// Removes the launcher that a replacement moved aside, read-only or not (archive tools leave the
// launcher read-only): true when done; false while a process still runs from it.
bool removeMovedAsideLauncher(const std::string& dir, const std::string& launcherName);

// The taken list: a finished list is first moved to takenListFileName in one step, so that a list
// an updater renames into place at that moment is never deleted unseen. deleteFinishedList
// compares what was moved with the list that ran (loadedList), deletes it with its record, and
// moves another list back; either left over is put right by the next start, under the exclusion.
void deleteFinishedList(const std::string& dir, const ListIdentity& loadedList);

// A list under the taken name at a start is either one that a start finished but was stopped
// before deleting (its record, still bound to it, counts all its operations), or one that was
// moved back too late and never carried out. The first is deleted: moved back, it would run again
// from its first operation once a later list had replaced the record. The second is moved back
// to the list's name once that name is free.
void deleteOrRestoreTakenList(const std::string& dir);

// The same at a start, for the launcher at exePath in dir, if a moved-aside copy is there; one
// that can't go yet is tried again at the next start.
void removeMovedAsideLauncherAtStart(const std::string& exePath, const std::string& dir);

}  // namespace launcher
