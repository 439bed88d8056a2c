// The files beside the launcher that hold the deferred list and its bookkeeping.
#pragma once

#include <string>
#include <string_view>

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

}  // namespace launcher
