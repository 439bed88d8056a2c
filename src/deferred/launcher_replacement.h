// The launcher's own file in the list. At every instant of a run a program is at the launcher's
// path (where a rename can't replace a running program, as on Windows: except between the two
// renames of one replacement). So a deletion of the launcher, or a rename that moves it away,
// is not carried out when reached: it waits for the first later rename that puts a new launcher
// at its path (a replacement) and is carried out together with it. With no replacement, or one
// that finds no new file, the launcher stays where it is and the start says so.
#pragma once

#include <functional>
#include <string>

#include "deferred/deferred_run.h"

namespace launcher {

// Notes in run the launcher as this start found it (exePath in the launcher directory).
void recognizeLauncher(DeferredRun& run, const std::string& exePath);

// Whether a rename to destination puts a file at the launcher's path.
bool replacesLauncher(const DeferredRun& run, const std::string& destination);

// Whether the operation (name, path, destination) deletes the launcher or moves it away.
bool movesLauncherAway(const DeferredRun& run, const std::string& name, const std::string& path,
                       const std::string& destination);

// Whether path reaches the program this start runs from, under another name than the launcher's
// (where a replacement moved it): it can't be removed while it runs (Windows), and the next
// start removes it.
bool isRunningLauncherElsewhere(const DeferredRun& run, const std::string& path);

// Operation index moves the launcher away: left to the first later replacement; with none, the
// launcher is kept and the Keep line says so.
void leaveToReplacement(DeferredRun& run, int index, const std::string& path);

// The replacement index was skipped or refused: an operation that moved the launcher away and
// waited for it is not carried out, and the Keep line says so.
void keepLauncher(DeferredRun& run, int index);

// Carries out the replacement index, a rename of from onto the launcher, with the operation that
// waited for it (the launcher's old file removed or moved where it said), retried within the
// budget as any rename: false when it failed for good. Where the old launcher could not be put
// back, boxText says so.
bool replaceLauncher(DeferredRun& run, int index, const std::string& from,
                     const std::string& destination, const std::function<bool()>& refusedNow,
                     std::string& boxText);

}  // namespace launcher
