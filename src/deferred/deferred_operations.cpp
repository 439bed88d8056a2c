// Working through the list of deferred file operations at start-up.
#include "deferred/deferred_operations.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "config/numbers.h"
#include "config/paths.h"
#include "config/process_state.h"
#include "config/property_file.h"
#include "deferred/list_identity.h"
#include "deferred/operation_count.h"
#include "deferred/progress_record.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

// Single attempts at the list's file operations, and the removal of the directories that a
// successful one leaves empty. Every call goes through the system-call seam.

std::function<bool(const std::string&)> kept;

constexpr const char* listFileName = "deferred_operations";
constexpr const char* progressFileName = "deferred_operations.progress";
// Where a new record is written before it is renamed into place.
constexpr const char* progressTemporaryFileName = "deferred_operations.progress.tmp";

std::string parentDirectory(const std::string& path) {
    return parentPath(path, systemPathStyle());
}

void removeEmptyDirectories(std::string dir);

// One attempt to delete exeDir + path; 0 on success (emptied directories then removed).
int tryDeleteFile(const std::string& path) {
    const int result = platform::systemCalls().removeFile((exeDir + path).c_str());
    if (result == 0)
        removeEmptyDirectories(parentDirectory(path));
    return result;
}

// One attempt to rename exeDir + from to exeDir + to; 0 on success (the source's emptied
// directories then removed).
int tryRenameFile(const std::string& from, const std::string& to) {
    // The destination's directories are neither created nor cleared: only the source side
    // can have been emptied.
    const int result =
        platform::systemCalls().renameFile((exeDir + from).c_str(), (exeDir + to).c_str());
    if (result == 0)
        removeEmptyDirectories(parentDirectory(from));
    return result;
}

// Removes exeDir + dir and then its parents in turn, stopping silently at the first that can't
// be removed or that keptDirectory (when set) says must stay.
void removeEmptyDirectories(std::string dir) {
    // Ends at the first directory that can't be removed, or after the first component of the
    // path: the launcher directory itself is never a candidate.
    while (!dir.empty() && !(kept && kept(dir)) &&
           platform::systemCalls().removeDirectory((exeDir + dir).c_str()) == 0)
        dir = parentDirectory(dir);
}

// What removeEmptyDirectories leaves in place, asked with a directory as the list writes it;
// null for nothing.
void keepDirectories(std::function<bool(const std::string& dir)> keptDirectory) {
    kept = std::move(keptDirectory);
}

// One budget for every retry of a start bounds the delay whatever the list holds.
constexpr int retryBudgetPerRunMs = 10000;
constexpr int retryPauseMs = 250;

std::string operationKey(int index, std::string_view suffix) {
    std::string key = "operation." + std::to_string(index);
    key += suffix;
    return key;
}

// The record that each attempt at operation attemptIndex is marked in, or null.
ProgressRecorder* attemptRecorder = nullptr;
int attemptIndex = 0;

// Repeats attempt until it returns 0, pausing after each failure and reporting it by its number
// (counted per operation); each failure takes one pause from the budget of the whole run.
// False when the budget is spent.
template <typename Attempt, typename ReportRetry>
bool retryWithinBudget(int& retryBudgetMs, Attempt attempt, ReportRetry reportRetry) {
    int attemptNumber = 0;
    for (;;) {
        // Marked only around a real attempt: a resumed run takes a marked operation for one
        // that may have emptied directories, which a refused, missing or failed one never did.
        if (attemptRecorder != nullptr)
            attemptRecorder->recordCarryingOut(attemptIndex);
        if (attempt() == 0)
            return true;
        if (attemptRecorder != nullptr)
            attemptRecorder->recordNotCarriedOut(attemptIndex);
        platform::systemCalls().sleepMilliseconds(retryPauseMs);
        retryBudgetMs -= retryPauseMs;
        ++attemptNumber;
        reportRetry(attemptNumber);
        if (retryBudgetMs < 0)
            return false;
    }
}

bool deleteWithRetries(const std::string& path, int& retryBudgetMs) {
    const bool done = retryWithinBudget(
        retryBudgetMs, [&] { return tryDeleteFile(path); },
        [&](int attemptNumber) {
            platform::printOutput("Re-trying #%d remove file '%s'\n", attemptNumber, path.c_str());
        });
    if (!done)
        platform::printOutput("Cannot remove file '%s'\n", path.c_str());
    return done;
}

// On failure, boxText gets the text of the box that the caller shows once the list is let go.
bool renameWithRetries(const std::string& from, const std::string& to, int& retryBudgetMs,
                       std::string& boxText) {
    const bool done = retryWithinBudget(
        retryBudgetMs, [&] { return tryRenameFile(from, to); },
        [&](int attemptNumber) {
            platform::printOutput("Re-trying #%d rename file '%s' to '%s'\n", attemptNumber,
                                  from.c_str(), to.c_str());
        });
    if (!done) {
        // Written as it is, never as a format: a '%' in a path stays a '%'.
        const std::string message = "Cannot rename file " + from + " to " + to;
        platform::writeOutput(message);
        boxText = message;
    }
    return done;
}

// The upward removal after an operation that an earlier run carried out but was stopped in:
// the directories it already removed are passed over.
void finishRemovalOfEmptiedDirectories(const std::string& path) {
    std::string dir = parentPath(path, systemPathStyle());
    while (!dir.empty() && !platform::systemCalls().pathExists((exeDir + dir).c_str()))
        dir = parentPath(dir, systemPathStyle());
    removeEmptyDirectories(dir);
}

// Where the launcher directory really is, links followed; resolved once per run, when a path
// first needs it. Empty when it can't be resolved.
std::optional<std::string> resolvedLauncherDirectory;

// Whether each directory (as the list writes it) was found outside. Deletions can't make a
// directory lead elsewhere; a rename can (it may move a link into place), so every rename
// clears what was found.
std::map<std::string, bool> outsideByDirectory;

// Whether the directory that holds exeDir + path is, links followed, outside the launcher
// directory. A directory that can't be resolved leads nowhere: the operation then finds no
// file, or fails, as it would anyway.
bool resolvesOutside(const std::string& path) {
    const PathStyle style = systemPathStyle();
    const std::size_t last = lastSeparator(path, style);
    if (last == std::string::npos)
        return false;  // directly in the launcher directory
    const std::string text = path.substr(0, last + 1);
    if (const auto found = outsideByDirectory.find(text); found != outsideByDirectory.end())
        return found->second;
    const std::optional<std::string> dir = platform::resolvedDirectory(exeDir + text);
    if (dir && !resolvedLauncherDirectory)
        resolvedLauncherDirectory = platform::resolvedDirectory(exeDir).value_or("");
    // Resolved paths are spelt for comparison alone (UTF-8 on Windows): no code page of the
    // list's to read them by.
    const bool outside = dir && !resolvedLauncherDirectory->empty() &&
                         !isWithin(*dir, *resolvedLauncherDirectory, style.separator);
    outsideByDirectory.emplace(text, outside);
    return outside;
}

// Whether path, spelt as the system compares names, is one of the files that keep the list
// and its progress: acting on them would undo the list's own bookkeeping.
bool namesOwnFile(const std::string& path) {
    const PathStyle style = systemPathStyle();
    std::string name = comparableDirectory(path, style);
    // Windows drops trailing dots and spaces from a name.
    if (style.separator == '\\')
        while (!name.empty() && (name.back() == '.' || name.back() == ' '))
            name.pop_back();
    for (const char* own : {listFileName, progressFileName, progressTemporaryFileName})
        if (name == comparableDirectory(own, style))
            return true;
    return false;
}

// Why an operation must not be carried out at all, or null. Only deletions and renames act on
// files, so only they are refused.
const char* refusalReason(const std::string& path) {
    const PathStyle style = systemPathStyle();
    if (path.find('\0') != std::string::npos)
        return "it holds a NUL character";
    if (leavesLauncherDirectory(path, style) || cannotBeJoined(path, style))
        return "it leads outside the launcher directory";
    if (namesDevice(path, style))
        return "it names a device";
    if (resolvesOutside(path))
        return "it leads outside the launcher directory";
    if (namesOwnFile(path))
        return "it is a file of the launcher itself";
    return nullptr;
}

// Refuses a deletion or rename whose paths could act on something else than they name: a path
// that leads out of the launcher directory (through "..", as an absolute path or through a
// link), names a device, or is cut short by a NUL. True when refused.
bool refused(const std::string& name, const std::string& path, int index) {
    if (name == "delete") {
        if (const char* reason = refusalReason(path)) {
            platform::printOutput("Refuse delete file '%s' - %s\n", path.c_str(), reason);
            return true;
        }
    } else if (name == "rename") {
        const std::string& destination =
            getProperty(deferredOps, operationKey(index, ".destination"));
        const char* reason = refusalReason(path);
        if (reason == nullptr)
            reason = refusalReason(destination);
        if (reason != nullptr) {
            platform::printOutput("Refuse rename file '%s' to '%s' - %s\n", path.c_str(),
                                  destination.c_str(), reason);
            return true;
        }
    }
    return false;
}

// The directory whose entries an operation on path changes, as a full path.
std::string directoryHolding(const std::string& path) {
    const std::size_t last = lastSeparator(path, systemPathStyle());
    return last == std::string::npos ? exeDir : exeDir + path.substr(0, last + 1);
}

// Carries out operation index of the list; false when it failed for good. The directories
// whose entries it changes are added to changedDirectories. finishCleanup is set for the first
// operation of a resumed run when the earlier run had begun it: it may have been stopped after
// that operation and before the removal of the directories it emptied.
bool carryOut(int index, int& retryBudgetMs, bool finishCleanup,
              std::vector<std::string>& changedDirectories, std::string& boxText) {
    const std::string& path = getProperty(deferredOps, operationKey(index, ".file"));
    const std::string& name = getProperty(deferredOps, operationKey(index, ""));
    if (refused(name, path, index))
        return true;
    // Tested before the name is looked at, so a missing path is reported for any name; the
    // path tested is the one acted on (the empty path names nothing).
    if (path.empty() || !platform::systemCalls().pathExists((exeDir + path).c_str())) {
        platform::printOutput("Skip %s file '%s' - it doesn't exist\n", name.c_str(), path.c_str());
        if (finishCleanup && (name == "delete" || name == "rename"))
            finishRemovalOfEmptiedDirectories(path);
        return true;
    }
    if (name == "delete") {
        changedDirectories.push_back(directoryHolding(path));
        return deleteWithRetries(path, retryBudgetMs);
    }
    if (name == "rename") {
        const std::string& destination =
            getProperty(deferredOps, operationKey(index, ".destination"));
        changedDirectories.push_back(directoryHolding(path));
        changedDirectories.push_back(directoryHolding(destination));
        outsideByDirectory.clear();
        return renameWithRetries(path, destination, retryBudgetMs, boxText);
    }
    return true;
}

// For every directory that a rename of the list moves something into (its destination's
// directory and those above it), the last operation that does so. The removal of emptied
// directories leaves such a directory for it: "delete the old, move the new in" must not
// take away the directory that the new file goes to.
std::map<std::string, int> lastMoveInto(int count) {
    std::map<std::string, int> last;
    const PathStyle style = systemPathStyle();
    constexpr std::string_view prefix = "operation.";
    constexpr std::string_view suffix = ".destination";
    for (auto it = deferredOps.lower_bound(prefix);
         it != deferredOps.end() && it->first.starts_with(prefix); ++it) {
        const std::string& key = it->first;
        if (!key.ends_with(suffix) || key.size() <= prefix.size() + suffix.size())
            continue;
        int index = 0;
        const char* const digits = key.data() + prefix.size();
        const char* const end = key.data() + key.size() - suffix.size();
        // Only keys that the run reads: the index written as it is looked up.
        if (std::from_chars(digits, end, index).ptr != end || index < 0 || index >= count ||
            operationKey(index, suffix) != key ||
            getProperty(deferredOps, operationKey(index, "")) != "rename")
            continue;
        for (const std::string& dir : enclosingDirectories(it->second, style)) {
            int& lastIndex = last[dir];
            lastIndex = std::max(lastIndex, index);
        }
    }
    return last;
}

// What one run shares with the attempts and removals it makes. Reset when the run ends,
// however it ends (an exception out of a pause included), so that nothing outlives the run
// it points into.
struct RunScope {
    RunScope() = default;
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;
    ~RunScope() {
        kept = nullptr;
        attemptRecorder = nullptr;
        resolvedLauncherDirectory.reset();
        outsideByDirectory.clear();
    }
};

}  // namespace

std::optional<ListIdentity> loadDeferredOperations() {
    return loadList(exeDir + listFileName, deferredOps);
}

DeferredRunEnd runDeferredOperations(const std::optional<ListIdentity>& loadedList) {
    if (!hasProperty(deferredOps, "size")) {
        platform::printOutput("Size operation not found.\n");
        // A record whose list is gone (the run was stopped between the two removals) is stale.
        platform::systemCalls().removeFile((exeDir + progressFileName).c_str());
        return {};
    }
    const RunScope scope;
    int retryBudgetMs = retryBudgetPerRunMs;
    resolvedLauncherDirectory.reset();
    outsideByDirectory.clear();
    const int count =
        boundedOperationCount(parseLeadingInt(getProperty(deferredOps, "size")), deferredOps);

    // Progress is kept only for a list that can be told apart from any list written later, and
    // a start with the same list goes on after the operations an earlier run finished.
    const std::string listPath = exeDir + listFileName;
    const std::string progressPath = exeDir + progressFileName;
    const std::optional<RecordedProgress> recorded =
        loadedList ? readProgress(progressPath, *loadedList) : std::nullopt;
    const int firstPending = recorded ? recorded->finishedOperations : 0;
    const bool firstWasBegun = recorded && recorded->nextBegun;
    // Recorded before the first operation too, so that a start after a run stopped anywhere
    // knows that it resumes; a list with nothing left to do needs no record.
    std::optional<ProgressRecorder> progress;
    // A list that changed while it was read can't be told from one written later, so no record
    // can be bound to it: it is held back like one whose record can't be written.
    if (!loadedList) {
        const std::string message = "Cannot record the progress of the deferred operations in '" +
                                    progressPath + "'. They are left for the next start.";
        platform::writeOutput(message + '\n');
        return {false, message};
    }
    if (firstPending < count) {
        const std::optional<int> recordedCount =
            recorded ? std::optional<int>(firstPending) : std::nullopt;
        progress.emplace(progressPath, *loadedList, recordedCount, firstPending);
        // Unrecorded, a run stopped part way would be repeated from the start by the next.
        if (!progress->recording()) {
            const std::string message =
                "Cannot record the progress of the deferred operations in '" + progressPath +
                "'. They are left for the next start.";
            platform::writeOutput(message + '\n');
            return {false, message};
        }
    }

    const std::map<std::string, int> moveInto = lastMoveInto(count);
    int current = firstPending;
    if (!moveInto.empty())
        keepDirectories([&](const std::string& dir) {
            const auto found = moveInto.find(comparableDirectory(dir, systemPathStyle()));
            return found != moveInto.end() && found->second > current;
        });

    // Past a bounded number of Skip lines for undescribed indices, the run goes straight to
    // the next described one: a damaged size with one key near its end would otherwise walk
    // two thousand million indices.
    const std::vector<int> described = describedIndices(count, deferredOps);
    int undescribedLeft = undescribedIndicesWalked;
    std::vector<std::string> changedDirectories;
    std::string boxText;
    for (int index = firstPending; index < count; ++index) {
        if (!std::binary_search(described.begin(), described.end(), index) &&
            undescribedLeft-- <= 0) {
            const auto next = std::lower_bound(described.begin(), described.end(), index);
            index = next == described.end() ? count : *next;
            if (progress)
                progress->recordFinished(index);
            if (index == count)
                break;
        }
        current = index;
        attemptRecorder = progress ? &*progress : nullptr;
        attemptIndex = index;
        changedDirectories.clear();
        if (!carryOut(index, retryBudgetMs, firstWasBegun && index == firstPending,
                      changedDirectories, boxText)) {
            attemptRecorder = nullptr;
            keepDirectories(nullptr);
            // The list and its progress record stay in place for the next start.
            return {true, boxText};
        }
        if (progress) {
            // The operation reaches the disk before the count that says it is done: a record
            // ahead of its operations would have the next start pass over them.
            for (std::size_t i = 0; i < changedDirectories.size(); ++i)
                if (i == 0 || changedDirectories[i] != changedDirectories[0])
                    platform::systemCalls().syncDirectory(changedDirectories[i].c_str());
            progress->recordFinished(index + 1);
        }
    }
    attemptRecorder = nullptr;
    keepDirectories(nullptr);
    if (progress)
        progress->close();

    // A list that an updater put in place during the run is another list: it stays for the
    // next start, and the record, bound to this one, goes.
    PropertyMap reread;
    if (loadList(listPath, reread) != loadedList) {
        platform::systemCalls().removeFile(progressPath.c_str());
        return {};
    }
    // A list that can't be deleted runs again at the next start; its record, kept, then lets
    // none of its operations be repeated.
    if (platform::systemCalls().removeFile(listPath.c_str()) == 0)
        platform::systemCalls().removeFile(progressPath.c_str());
    return {};
}

void finishDeferredRun(const DeferredRunEnd& end) {
    if (!end.boxText.empty())
        platform::showMessageBox(end.boxText, "Error");
    if (end.gaveUp)
        platform::exitAfterFailure();
}

}  // namespace launcher
