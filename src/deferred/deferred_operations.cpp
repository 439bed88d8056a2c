// Working through the list of deferred file operations at start-up.
#include "deferred/deferred_operations.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "config/property_file.h"
#include "deferred/list_identity.h"
#include "deferred/operation_count.h"
#include "deferred/progress_record.h"
#include "launcher/process_state.h"
#include "platform/message_box.h"
#include "platform/system_calls.h"

namespace launcher {

namespace {

constexpr const char* listFileName = "deferred_operations";
constexpr const char* progressFileName = "deferred_operations.progress";

// One budget for every retry of a start bounds the delay whatever the list holds.
constexpr int retryBudgetPerRunMs = 10000;
constexpr int retryPauseMs = 250;

std::string operationKey(int index, const char* suffix) {
    return "operation." + std::to_string(index) + suffix;
}

// Repeats attempt until it returns 0, pausing after each failure and reporting it by its number
// (counted per operation); each failure takes one pause from the budget of the whole run.
// False when the budget is spent.
template <typename Attempt, typename ReportRetry>
bool retryWithinBudget(int& retryBudgetMs, Attempt attempt, ReportRetry reportRetry) {
    int attemptNumber = 0;
    while (attempt() != 0) {
        platform::systemCalls().sleepMilliseconds(retryPauseMs);
        retryBudgetMs -= retryPauseMs;
        ++attemptNumber;
        reportRetry(attemptNumber);
        if (retryBudgetMs < 0)
            return false;
    }
    return true;
}

bool deleteWithRetries(const std::string& path, int& retryBudgetMs) {
    const bool done = retryWithinBudget(
        retryBudgetMs, [&] { return tryDeleteFile(path); },
        [&](int attemptNumber) {
            std::printf("Re-trying #%d remove file '%s'\n", attemptNumber, path.c_str());
        });
    if (!done)
        std::printf("Cannot remove file '%s'\n", path.c_str());
    return done;
}

bool renameWithRetries(const std::string& from, const std::string& to, int& retryBudgetMs) {
    const bool done = retryWithinBudget(
        retryBudgetMs, [&] { return tryRenameFile(from, to); },
        [&](int attemptNumber) {
            std::printf("Re-trying #%d rename file '%s' to '%s'\n", attemptNumber, from.c_str(),
                        to.c_str());
        });
    if (!done) {
        // Written as it is, never as a format: a '%' in a path stays a '%'.
        const std::string message = "Cannot rename file " + from + " to " + to;
        std::fwrite(message.data(), 1, message.size(), stdout);
        std::fflush(stdout);
        platform::showMessageBox(message, "Error");
    }
    return done;
}

// Carries out operation index of the list; false when it failed for good.
bool carryOut(int index, int& retryBudgetMs) {
    const std::string path = getProperty(deferredOps, operationKey(index, ".file"));
    const std::string name = getProperty(deferredOps, operationKey(index, ""));
    // Tested before the name is looked at, so a missing path is reported for any name.
    if (!platform::systemCalls().pathExists(path.c_str())) {
        std::printf("Skip %s file '%s' - it doesn't exist\n", name.c_str(), path.c_str());
        return true;
    }
    if (name == "delete")
        return deleteWithRetries(path, retryBudgetMs);
    if (name == "rename") {
        const std::string destination =
            getProperty(deferredOps, operationKey(index, ".destination"));
        return renameWithRetries(path, destination, retryBudgetMs);
    }
    return true;
}

// The list and its progress record stay in place for the next start.
[[noreturn]] void giveUp() {
    std::fflush(stdout);
    std::exit(1);
}

}  // namespace

void runDeferredOperations() {
    if (!hasProperty(deferredOps, "size")) {
        std::printf("Size operation not found.\n");
        return;
    }
    int retryBudgetMs = retryBudgetPerRunMs;
    const int count =
        boundedOperationCount(parseOperationCount(getProperty(deferredOps, "size")), deferredOps);

    // Progress is kept only for a list that can be told apart from any list written later, and
    // a start with the same list goes on after the operations an earlier run finished.
    const std::string listPath = exeDir + listFileName;
    const std::string progressPath = exeDir + progressFileName;
    const std::optional<ListIdentity> list = identifyList(listPath, deferredOps);
    const int firstPending = list ? readFinishedOperations(progressPath, *list) : 0;

    for (int index = firstPending; index < count; ++index) {
        if (!carryOut(index, retryBudgetMs))
            giveUp();
        if (list)
            writeFinishedOperations(progressPath, *list, index + 1);
    }

    // A list that can't be deleted runs again at the next start; its record, kept, then lets
    // none of its operations be repeated.
    if (platform::systemCalls().removeFile(listPath.c_str()) == 0)
        platform::systemCalls().removeFile(progressPath.c_str());
}

}  // namespace launcher
