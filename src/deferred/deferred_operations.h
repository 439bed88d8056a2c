#pragma once

#include <functional>
#include <string>

namespace launcher {

// Loads the list file exeDir + "deferred_operations" into deferredOps, as any property file is
// loaded, and remembers which file it was, so that progress can be bound to it.
void loadDeferredOperations();

// Carries out the list in deferredOps: deletions and renames relative to exeDir, retried under
// a shared budget, emptied directories removed, then the list file deleted. Ends the process
// with exit status 1 when an operation fails for good, leaving the list in place; progress kept
// beside it (deferred_operations.progress) lets the next start with the same list go on after
// the operations already finished.
void runDeferredOperations();

// One attempt to delete exeDir + path; 0 on success (emptied directories then removed).
int tryDeleteFile(const std::string& path);

// One attempt to rename exeDir + from to exeDir + to; 0 on success (the source's emptied
// directories then removed).
int tryRenameFile(const std::string& from, const std::string& to);

// Removes exeDir + dir and then its parents in turn, stopping silently at the first that can't
// be removed or that keptDirectory (when set) says must stay.
void removeEmptyDirectories(std::string dir);

// What removeEmptyDirectories leaves in place, asked with a directory as the list writes it;
// null for nothing.
void keepDirectories(std::function<bool(const std::string& dir)> keptDirectory);

// The text of path before its last separator, or empty when it holds none. The separator is
// a parameter so that every platform's rule can be checked anywhere.
std::string parentPath(const std::string& path, char separator);

}  // namespace launcher
