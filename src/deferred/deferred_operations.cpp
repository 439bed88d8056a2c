// Working through the list of deferred file operations at start-up.
#include "deferred/deferred_operations.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "config/leading_int.h"
#include "config/property_file.h"
#include "deferred/list_identity.h"
#include "deferred/operation_count.h"
#include "deferred/path_safety.h"
#include "deferred/progress_record.h"
#include "launcher/process_state.h"
#include "platform/message_box.h"
#include "platform/path_conventions.h"
#include "platform/system_calls.h"

namespace launcher {

namespace {

constexpr const char* listFileName = "deferred_operations";
constexpr const char* progressFileName = "deferred_operations.progress";

// Which list file deferredOps was loaded from: what its progress is bound to.
std::optional<ListIdentity> loadedList;

// One budget for every retry of a start bounds the delay whatever the list holds.
constexpr int retryBudgetPerRunMs = 10000;
constexpr int retryPauseMs = 250;

std::string operationKey(int index, std::string_view suffix) {
    std::string key = "operation." + std::to_string(index);
    key += suffix;
    return key;
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

// The upward removal after an operation that an earlier run carried out but was stopped in:
// the directories it already removed are passed over.
void finishRemovalOfEmptiedDirectories(const std::string& path) {
    std::string dir = parentPath(path, platform::directorySeparator());
    while (!dir.empty() && !platform::systemCalls().pathExists((exeDir + dir).c_str()))
        dir = parentPath(dir, platform::directorySeparator());
    removeEmptyDirectories(dir);
}

// Why an operation must not be carried out at all, or null. Only deletions and renames act on
// files, so only they are refused.
const char* refusalReason(const std::string& path) {
    if (path.find('\0') != std::string::npos)
        return "it holds a NUL character";
    if (leavesLauncherDirectory(path, platform::directorySeparator()))
        return "it leads outside the launcher directory";
    return nullptr;
}

// Refuses a deletion or rename whose paths could act on something else than they name: a path
// that climbs out of the launcher directory, or one cut short by a NUL. True when refused.
bool refused(const std::string& name, const std::string& path, int index) {
    if (name == "delete") {
        if (const char* reason = refusalReason(path)) {
            std::printf("Refuse delete file '%s' - %s\n", path.c_str(), reason);
            return true;
        }
    } else if (name == "rename") {
        const std::string& destination =
            propertyValue(deferredOps, operationKey(index, ".destination"));
        const char* reason = refusalReason(path);
        if (reason == nullptr)
            reason = refusalReason(destination);
        if (reason != nullptr) {
            std::printf("Refuse rename file '%s' to '%s' - %s\n", path.c_str(), destination.c_str(),
                        reason);
            return true;
        }
    }
    return false;
}

// Carries out operation index of the list; false when it failed for good. finishCleanup is set
// for the first operation of a resumed run: an earlier run may have been stopped after that
// operation and before the removal of the directories it emptied.
bool carryOut(int index, int& retryBudgetMs, bool finishCleanup) {
    const std::string& path = propertyValue(deferredOps, operationKey(index, ".file"));
    const std::string& name = propertyValue(deferredOps, operationKey(index, ""));
    if (refused(name, path, index))
        return true;
    // Tested before the name is looked at, so a missing path is reported for any name.
    if (!platform::systemCalls().pathExists(path.c_str())) {
        std::printf("Skip %s file '%s' - it doesn't exist\n", name.c_str(), path.c_str());
        if (finishCleanup && (name == "delete" || name == "rename"))
            finishRemovalOfEmptiedDirectories(path);
        return true;
    }
    if (name == "delete")
        return deleteWithRetries(path, retryBudgetMs);
    if (name == "rename") {
        const std::string& destination =
            propertyValue(deferredOps, operationKey(index, ".destination"));
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

void loadDeferredOperations() {
    loadedList = loadList(exeDir + listFileName, deferredOps);
}

void runDeferredOperations() {
    if (!hasProperty(deferredOps, "size")) {
        std::printf("Size operation not found.\n");
        // A record whose list is gone (the run was stopped between the two removals) is stale.
        platform::systemCalls().removeFile((exeDir + progressFileName).c_str());
        return;
    }
    int retryBudgetMs = retryBudgetPerRunMs;
    const int count =
        boundedOperationCount(parseLeadingInt(getProperty(deferredOps, "size")), deferredOps);

    // Progress is kept only for a list that can be told apart from any list written later, and
    // a start with the same list goes on after the operations an earlier run finished.
    const std::string listPath = exeDir + listFileName;
    const std::string progressPath = exeDir + progressFileName;
    const std::optional<int> recorded =
        loadedList ? readFinishedOperations(progressPath, *loadedList) : std::nullopt;
    const int firstPending = recorded.value_or(0);
    // Recorded before the first operation too, so that a start after a run stopped anywhere
    // knows that it resumes.
    std::optional<ProgressRecorder> progress;
    if (loadedList) {
        progress.emplace(progressPath, *loadedList, recorded, firstPending);
        // Unrecorded, a run stopped part way would be repeated from the start by the next.
        if (!progress->recording()) {
            const std::string message =
                "Cannot record the progress of the deferred operations in '" + progressPath +
                "'. They are left for the next start.";
            std::fwrite(message.data(), 1, message.size(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
            platform::showMessageBox(message, "Error");
            return;
        }
    }

    for (int index = firstPending; index < count; ++index) {
        if (!carryOut(index, retryBudgetMs, recorded && index == firstPending))
            giveUp();
        if (progress)
            progress->recordFinished(index + 1);
    }
    if (progress)
        progress->close();

    // A list that can't be deleted runs again at the next start; its record, kept, then lets
    // none of its operations be repeated.
    if (platform::systemCalls().removeFile(listPath.c_str()) == 0)
        platform::systemCalls().removeFile(progressPath.c_str());
}

}  // namespace launcher
