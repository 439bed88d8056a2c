#include "deferred/attempts.h"

#include <optional>

#include "deferred/emptied_directories.h"
#include "deferred/operation_groups.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"

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
        progress.recordNotCarriedOut();
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
    bool done = calls.renameFile(source.c_str(), (run.launcherDirectory + to).c_str());
    if ((!done || calls.pathExists(source.c_str())) && twoNamesOfOneFile(run, from, to))
        done = calls.removeFile(source.c_str());
    if (done)
        removeEmptyDirectories(run, from);
    return attempted(done);
}

}  // namespace launcher
