// What one run of the deferred list shares with the checks, attempts and removals it makes.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/property_map.h"
#include "platform/files_and_directories.h"

namespace launcher {

class ProgressRecorder;

struct DeferredRun {
    // The directory that every path of the list is relative to (it ends in its separator), and
    // the list.
    std::string launcherDirectory;
    const PropertyMap& list;

    // One budget for every retry of a start bounds the delay whatever the list holds.
    static constexpr int retryBudgetMs = 10000;
    static constexpr int retryPauseMs = 250;

    int retryBudgetLeftMs = retryBudgetMs;

    // For every directory that a later rename of the list moves something into, by what the file
    // system knows it by, the last operation that does so: the removal of emptied directories
    // leaves it in place until then (see emptied_directories.h). Found when first needed and
    // again after a rename that may have moved a directory.
    struct DirectoryMovedInto {
        std::string name;  // as a later rename writes it, separator included
        platform::FileIdentity identity;
        int lastOperation;
    };
    std::vector<DirectoryMovedInto> lastMoveInto{};
    bool directoriesMovedIntoKnown = false;
    int operationCount = 0;

    // The operation being carried out, and the record that marks each attempt at it.
    int currentOperation = 0;
    ProgressRecorder* progress = nullptr;

    // Where the launcher directory really is, links followed; resolved when a path first
    // needs it. Empty when it can't be resolved.
    std::optional<std::string> resolvedLauncherDirectory{};
    // Whether each directory (as the list writes it) was found outside. Deletions can't make a
    // directory lead elsewhere; a rename of a directory or a link can (it may move a link into
    // place), so it clears what was found. A rename of a regular file can only make a
    // directory lead nowhere: it clears what was found outside.
    std::map<std::string, bool> outsideByDirectory{};

    // What the last check of the operation (path_guard.h) found at its path and destination:
    // nothing where nothing is there or it was not looked at. The operation's attempt goes by
    // it rather than look again.
    struct Found {
        std::optional<platform::FileIdentity> path;
        std::optional<platform::FileIdentity> destination;
    } found{};

    // The launcher's file name in the launcher directory (empty when nothing is at its path), what
    // the file system knew the running program by when the run began, and the renames that put a
    // file at its path (found when first needed; see launcher_replacement.h).
    std::string launcherName{};
    std::optional<platform::FileIdentity> runningLauncher{};
    std::optional<std::vector<int>> replacements{};

    // What the file system knows the list's own files by (the list, its record and the
    // record's temporary file), so that no path reaches them however it is written; and their
    // names, spelt for comparison.
    std::vector<platform::FileIdentity> ownFiles{};
    std::vector<std::string> ownFileNames{};
};

}  // namespace launcher
