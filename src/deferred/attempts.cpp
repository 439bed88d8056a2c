#include "deferred/attempts.h"

#include <optional>

#include "deferred/emptied_directories.h"
#include "deferred/operation_groups.h"
#include "deferred/progress_record.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

// Whether from and to are two names of one file: a rename cut short between the syncs of its two
// directories, on a file system that writes each on its own, leaves it so. Never two spellings of
// one name.
bool twoNamesOfOneFile(DeferredRun& run, const std::string& from, const std::string& to) {
    const std::string source = run.launcherDirectory + from;
    const std::optional<platform::FileIdentity> identity = platform::fileIdentity(source);
    if (!identity || identity != platform::fileIdentity(run.launcherDirectory + to) ||
        !platform::isPlainFile(source.c_str()) || platform::hardLinkCount(source) < 2)
        return false;
    const std::optional<std::string> fromEntry = entryKey(run, from);
    const std::optional<std::string> toEntry = entryKey(run, to);
    return fromEntry && toEntry && fromEntry != toEntry;
}

}  // namespace

void recordBeforePause(DeferredRun& run) {
    ProgressRecorder& progress = *run.progress;
    if (progress.lastCount() == run.currentOperation ||
        !platform::systemCalls().syncFileSystem(run.launcherDirectory.c_str()) ||
        !progress.recordFinished(run.currentOperation))
        progress.recordNotBegun();
}

bool retryWithinBudget(DeferredRun& run, const std::function<Attempt()>& attempt,
                       const std::string& retried, const std::function<bool()>& refusedNow) {
    int attemptNumber = 0;
    for (;;) {
        // Marked only around a real attempt: a resumed run takes the operations of a group begun
        // for ones that may have emptied directories, which a refused, missing or failed one
        // never did.
        run.progress->recordBegun();
        const Attempt result = attempt();
        if (result == Attempt::done)
            return true;
        recordBeforePause(run);
        if (result == Attempt::givenUp)
            return false;
        platform::systemCalls().sleepMilliseconds(DeferredRun::retryPauseMs);
        run.retryBudgetLeftMs -= DeferredRun::retryPauseMs;
        platform::printOutput("Re-trying #%d %s\n", ++attemptNumber, retried.c_str());
        if (run.retryBudgetLeftMs < 0)
            return false;
        if (refusedNow())
            return true;
    }
}

Attempt attempted(bool done) {
    return done ? Attempt::done : Attempt::failed;
}

Attempt tryDeleteFile(DeferredRun& run, const std::string& path) {
    const bool done = platform::systemCalls().removeFile((run.launcherDirectory + path).c_str());
    if (done)
        removeEmptyDirectories(run, path);
    return attempted(done);
}

Attempt tryRenameFile(DeferredRun& run, const std::string& from, const std::string& to) {
    platform::SystemCalls& calls = platform::systemCalls();
    const std::string source = run.launcherDirectory + from;
    // Told by what the operation's check found, looked at again only where it may be so.
    const bool twoNames = run.found.path && run.found.path == run.found.destination &&
                          twoNamesOfOneFile(run, from, to);
    const bool done = twoNames
                          ? calls.removeFile(source.c_str())
                          : calls.renameFile(source.c_str(), (run.launcherDirectory + to).c_str());
    if (done)
        removeEmptyDirectories(run, from);
    return attempted(done);
}

}  // namespace launcher
