// Single attempts at the list's file operations, and their retries: every failed attempt at any
// operation takes one pause from a budget shared by the whole run, which bounds the delay
// whatever the list holds.
#pragma once

#include <string>

#include "deferred/deferred_run.h"
#include "deferred/progress_record.h"
#include "platform/durable_files.h"

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

// Repeats attempt until it is done, pausing after each failure and reporting it by its number
// (counted per operation): done, or false when the budget is spent or the attempt gave up. The
// operation ends as done, refused, when refusedNow says after a pause that its paths must not be
// acted on now.
template <typename TryOnce, typename ReportRetry, typename RefusedNow>
bool retryWithinBudget(DeferredRun& run, TryOnce attempt, ReportRetry reportRetry,
                       RefusedNow refusedNow) {
    int attemptNumber = 0;
    for (;;) {
        // Marked only around a real attempt: a resumed run takes the operations of a marked
        // group for ones that may have emptied directories, which a refused, missing or failed
        // one never did.
        run.progress->recordCarryingOut();
        const Attempt result = attempt();
        if (result == Attempt::done)
            return true;
        recordBeforePause(run);
        if (result == Attempt::givenUp)
            return false;
        platform::systemCalls().sleepMilliseconds(DeferredRun::retryPauseMs);
        run.retryBudgetLeftMs -= DeferredRun::retryPauseMs;
        ++attemptNumber;
        reportRetry(attemptNumber);
        if (run.retryBudgetLeftMs < 0)
            return false;
        if (refusedNow())
            return true;
    }
}

}  // namespace launcher
