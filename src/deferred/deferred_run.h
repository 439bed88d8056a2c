// What one run of the deferred list shares with the checks, attempts and removals it makes.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "deferred/progress_record.h"
#include "platform/files_and_directories.h"

namespace launcher {

struct DeferredRun {
    // One budget for every retry of a start bounds the delay whatever the list holds.
    static constexpr int retryBudgetMs = 10000;
    static constexpr int retryPauseMs = 250;

    int retryBudgetLeftMs = retryBudgetMs;

    // What the removal of emptied directories leaves in place, asked with a directory as the
    // list writes it; null for nothing.
    std::function<bool(const std::string& dir)> keptDirectory;

    // The record that each attempt at operation attemptIndex is marked in, or null.
    ProgressRecorder* attemptRecorder = nullptr;
    int attemptIndex = 0;

    // Where the launcher directory really is, links followed; resolved when a path first
    // needs it. Empty when it can't be resolved.
    std::optional<std::string> resolvedLauncherDirectory;
    // Whether each directory (as the list writes it) was found outside. Deletions can't make a
    // directory lead elsewhere; a rename can (it may move a link into place), so every rename
    // clears what was found.
    std::map<std::string, bool> outsideByDirectory;

    // What the file system knows the list's own files by (the list, its record and the
    // record's temporary file), so that no path reaches them however it is written.
    std::vector<platform::FileIdentity> ownFiles;
};

}  // namespace launcher
