// The retries of one start: every failed attempt at any operation takes one pause from a budget
// shared by the whole run, which bounds the delay whatever the list holds.
#pragma once

#include "deferred/deferred_run.h"
#include "platform/durable_files.h"

namespace launcher {

// What one attempt at an operation came to: done, failed (tried again after a pause), or given
// up at once (its failure already reported).
enum class Attempt { done, failed, givenUp };

// Repeats attempt until it is done, pausing after each failure and reporting it by its number
// (counted per operation): done, or false when the budget is spent or the attempt gave up. The
// operation ends as done, refused, when refusedNow says after a pause that its paths must not be
// acted on now.
template <typename TryOnce, typename ReportRetry, typename RefusedNow>
bool retryWithinBudget(DeferredRun& run, TryOnce attempt, ReportRetry reportRetry,
                       RefusedNow refusedNow) {
    int attemptNumber = 0;
    for (;;) {
        // Marked only around a real attempt: a resumed run takes a marked operation for one
        // that may have emptied directories, which a refused, missing or failed one never did.
        run.progress->recordCarryingOut(run.currentOperation);
        const Attempt result = attempt();
        if (result == Attempt::done)
            return true;
        run.progress->recordNotCarriedOut(run.currentOperation);
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
