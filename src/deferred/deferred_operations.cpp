// Working through the list of deferred file operations at start-up.
#include "deferred/deferred_operations.h"

#include <algorithm>
#include <vector>

#include "config/numbers.h"
#include "config/paths.h"
#include "config/process_state.h"
#include "config/property_file.h"
#include "deferred/attempts.h"
#include "deferred/deferred_run.h"
#include "deferred/emptied_directories.h"
#include "deferred/launcher_replacement.h"
#include "deferred/operation_count.h"
#include "deferred/operation_groups.h"
#include "deferred/own_files.h"
#include "deferred/path_guard.h"
#include "deferred/progress_record.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

// Whether nothing is at path in the launcher directory for certain. A path the system cannot
// look up at all (longer than it takes) is not missing: the operation is tried, and fails as it
// must.
bool missing(const DeferredRun& run, const std::string& path) {
    if (!path.empty() && run.found.path)
        return false;  // found by the check just made
    const std::string fullPath = run.launcherDirectory + path;
    return path.empty() || (!platform::systemCalls().pathExists(fullPath.c_str()) &&
                            platform::certainlyMissing(fullPath.c_str()));
}

// Carries out operation index of the list; false when it failed for good. changed is set when it
// acted on the disk. groupBegunBefore is set for the operations of a group that an
// earlier run began: it may have been stopped after one of them and before the removal of the
// directories that one emptied.
bool carryOut(DeferredRun& run, int index, bool groupBegunBefore, bool& changed,
              std::string& boxText) {
    const std::string& path = getProperty(run.list, operationKey(index, ".file"));
    const std::string& name = getProperty(run.list, operationKey(index, ""));
    const std::string& destination = getProperty(run.list, operationKey(index, ".destination"));
    const bool replacement = name == "rename" && replacesLauncher(run, destination);
    if (refused(run, name, path, destination)) {
        if (replacement)
            keepLauncher(run, index);
        return true;
    }
    const auto refusedNow = [&] { return refusedAfterPause(run, name, path, destination); };
    // Tested before the name is looked at, so a missing path is reported for any name; the
    // path tested is the one acted on (the empty path names nothing).
    if (missing(run, path)) {
        platform::printOutput("Skip %s file '%s' - it doesn't exist\n", name.c_str(), path.c_str());
        if (groupBegunBefore && (name == "delete" || name == "rename"))
            finishRemovalOfEmptiedDirectories(run, path);
        if (replacement)
            keepLauncher(run, index);
        return true;
    }
    if (movesLauncherAway(run, name, path, destination)) {
        leaveToReplacement(run, index, path);
        return true;
    }
    if (name == "delete") {
        // The running program, where a replacement moved it: it can't go while it runs (Windows),
        // and a later start removes it.
        changed = true;
        if (isRunningLauncherElsewhere(run, path)) {
            (void)tryDeleteFile(run, path);
            return true;
        }
        if (retryWithinBudget(
                run, [&] { return tryDeleteFile(run, path); }, "remove file '" + path + "'",
                refusedNow))
            return true;
        platform::printOutput("Cannot remove file '%s'\n", path.c_str());
        return false;
    }
    if (name == "rename") {
        changed = true;
        const bool done =
            replacement ? replaceLauncher(run, index, path, destination, refusedNow, boxText)
                        : retryWithinBudget(
                              run, [&] { return tryRenameFile(run, path, destination); },
                              "rename file '" + path + "' to '" + destination + "'", refusedNow);
        noteRenamed(run, destination);
        if (!done && boxText.empty()) {
            // Written as it is, never as a format: a '%' in a path stays a '%'. The box is the
            // caller's, after the exclusion is released.
            boxText = "Cannot rename file " + path + " to " + destination;
            platform::writeOutput(boxText);
        }
        return done;
    }
    return true;
}

StepResult leaveListForNextStart(const std::string& message) {
    platform::writeOutput(message + '\n');
    return StepResult::done(message);
}

std::string cannotRecordMessage(const std::string& progressPath) {
    return "Cannot record the progress of the deferred operations in '" + progressPath +
           "'. They are left for the next start.";
}

// The run of count operations from firstPending on, group by group (operation_groups.h): each
// group is marked begun in the record, carried out, written through to the disk with one sync of
// the file system, and then counted; a count that reached the disk before its operations would
// have the next start pass over them. A count that can't be recorded (a full disk) or a sync that
// fails ends the run as a failed operation does: carried on, an operation beyond the record
// would be repeated by the next start. A run that resumes a group begun (resumesBegunGroup) carries
// it out again: the operations already carried out find their paths gone, and the directories
// they emptied are removed, up to the first operation that still has something to do.
StepResult carryOutList(DeferredRun& run, int count, int firstPending, bool resumesBegunGroup,
                        ProgressRecorder& progress, const std::string& progressPath) {
    const auto stopped = [&] {
        platform::writeOutput(cannotRecordMessage(progressPath) + '\n');
        return StepResult::failed(cannotRecordMessage(progressPath));
    };
    // Where the disk can't be told to write the group, its count is never recorded.
    const auto synced = [&](bool changed) {
        return !changed || platform::systemCalls().syncFileSystem(run.launcherDirectory.c_str());
    };
    run.operationCount = count;
    run.progress = &progress;
    // Past a bounded number of Skip lines for undescribed indices, the run goes straight to
    // the next described one: a damaged size with one key near its end would otherwise walk
    // two thousand million indices.
    const std::vector<int> described = describedIndices(count, run.list);
    const auto isDescribed = [&](int index) {
        return std::binary_search(described.begin(), described.end(), index);
    };
    int undescribedLeft = undescribedIndicesWalked;
    std::string boxText;
    int first = firstPending;
    bool resumed = resumesBegunGroup;
    while (first < count) {
        if (!isDescribed(first) && undescribedLeft <= 0) {
            const auto next = std::lower_bound(described.begin(), described.end(), first);
            first = next == described.end() ? count : *next;
            if (!progress.recordFinished(first))
                return stopped();
            continue;
        }
        const int end = endOfGroup(run, first, count);
        bool changed = false;
        int index = first;
        for (; index < end; ++index) {
            if (!isDescribed(index) && undescribedLeft-- <= 0)
                break;  // the walk over undescribed indices ends here
            run.currentOperation = index;
            bool acted = false;
            const bool done = carryOut(run, index, resumed, acted, boxText);
            // Up to the first operation that is carried out, the earlier run carried them out.
            resumed = resumed && !acted;
            changed = changed || acted;
            if (!done) {
                // The list and the record stay for the next start, which begins with this one.
                if (synced(changed) && progress.recordFinished(index))
                    return StepResult::failed(boxText);
                return stopped();
            }
        }
        if (!synced(changed) || !progress.recordFinished(index))
            return stopped();
        first = index;
    }
    return StepResult::done();
}

}  // namespace

std::optional<ListIdentity> loadDeferredOperations() {
    const std::string path = listFilePath(exeDir, listFileName);
    const std::optional<ListIdentity> loaded = loadList(path, deferredOps);
    // Looked at again only for a list that was not loaded: most starts pay nothing for this.
    if (const auto status = loaded ? std::nullopt : platform::fileStatus(path);
        status && status->size > largestList)
        platform::writeOutput("The deferred operations in '" + path +
                              "' are far larger than any update: they are left in place.\n");
    return loaded;
}

StepResult runDeferredOperations(const std::optional<ListIdentity>& loadedList) {
    DeferredRun run{exeDir, deferredOps};
    if (!hasProperty(run.list, "size")) {
        platform::printOutput("Size operation not found.\n");
        return StepResult::done();
    }
    const int count =
        boundedOperationCount(parseLeadingInt(getProperty(run.list, "size")), run.list);

    // Progress is kept only for a list that can be told apart from any list written later, and
    // a start with the same list goes on after the operations an earlier run finished.
    const std::string progressPath = listFilePath(run.launcherDirectory, progressFileName);
    const std::string cannotRecord = cannotRecordMessage(progressPath);
    // A list that changed while it was read can't be told from one written later, so no record
    // can be bound to it: it is left for the next start like one whose record can't be written.
    if (!loadedList)
        return leaveListForNextStart(cannotRecord);
    const std::optional<RecordedProgress> recorded = readProgress(progressPath, *loadedList);
    const int firstPending = recorded ? recorded->finishedOperations : 0;
    // Recorded before the first operation too, so that a start after a run stopped anywhere
    // knows that it resumes; a list with nothing left to do needs no record.
    std::optional<ProgressRecorder> progress;
    StepResult end = StepResult::done();
    if (firstPending < count) {
        // What the list acts on (the updater's files, written and never synced, and the list
        // itself) reaches the disk before the first operation: a power cut must never find the
        // old files gone and the new ones empty. Before the record too: syncing the record
        // commits the names of the updater's files on some file systems, their data not yet.
        // Best effort: where the system can't, the run goes on as without a power cut.
        (void)platform::systemCalls().syncFileSystem(run.launcherDirectory.c_str());
        progress.emplace(progressPath, *loadedList,
                         recorded ? std::optional<int>(firstPending) : std::nullopt, firstPending);
        // Unrecorded, a run stopped part way would be repeated from the start by the next.
        if (!progress->recording())
            return leaveListForNextStart(cannotRecord);
        recognizeOwnFiles(run);
        recognizeLauncher(run, exePath);
        end = carryOutList(run, count, firstPending, recorded && recorded->begun, *progress,
                           progressPath);
        progress->close();
        if (end.failed())
            return end;
    }
    deleteFinishedList(run.launcherDirectory, *loadedList);
    return end;
}

void finishDeferredRun(const StepResult& end) {
    if (!end.boxText().empty())
        platform::showMessageBox(end.boxText(), "Error");
    if (end.failed())
        platform::exitAfterFailure();
}

}  // namespace launcher
