// Single attempts at the list's file operations, and their retries: every failed attempt at any
// operation takes one pause from a budget shared by the whole run, which bounds the delay
// whatever the list holds.
#pragma once

#include <functional>
#include <string>

#include "deferred/deferred_run.h"
#include "deferred/progress_record.h"

namespace launcher {

// What one attempt at an operation came to: done, failed (tried again after a pause), or given
// up at once (its failure already reported).
enum class Attempt { done, failed, givenUp };

Attempt attempted(bool done);

// One attempt to delete path in the launcher directory, then the removal of the directories it
// emptied. Through the system-call seam, as every call of these.
Attempt tryDeleteFile(DeferredRun& run, const std::string& path);

// One attempt to rename from to to, both in the launcher directory, then the removal of the
// directories it emptied on the source's side (the destination's are neither created nor
// cleared). A rename between two names of one file does nothing at all: it is finished by
// removing the source's name.
Attempt tryRenameFile(DeferredRun& run, const std::string& from, const std::string& to);

// After a failed attempt: what the operations before it did reaches the disk and is counted, so
// that a start stopped in the pause goes on with this operation, as one after a run that gave up
// here does; where that can't be done, the mark is taken back and the group is carried out again.
void recordBeforePause(DeferredRun& run);

// Repeats attempt until it is done, pausing after each failure and reporting it as "Re-trying #n "
// followed by retried ("remove file 'a.jar'"), n counted per operation: true when done, false
// when the budget is spent or the attempt gave up. The operation ends as done, refused, when
// refusedNow says after a pause that its paths must not be acted on now.
bool retryWithinBudget(DeferredRun& run, const std::function<Attempt()>& attempt,
                       const std::string& retried, const std::function<bool()>& refusedNow);

}  // namespace launcher
