#include "deferred/launcher_replacement.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "config/paths.h"
#include "config/property_file.h"
#include "deferred/attempts.h"
#include "deferred/operation_count.h"
#include "deferred/own_files.h"
#include "deferred/path_guard.h"
#include "deferred/path_rules.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

std::string launcherPath(const DeferredRun& run) {
    return run.launcherDirectory + run.launcherName;
}

// Whether path may end in the launcher's name, told by its text alone, as most paths are:
// false only for a last part that is another name in every spelling (on Windows, in ASCII,
// without trailing dots and blanks or an 8.3 alias).
bool mayEndInLauncherName(const DeferredRun& run, const std::string& path) {
    const bool windows = systemPathStyle().separator == '\\';
    const auto plain = [&](std::string_view name) {
        return !windows || std::none_of(name.begin(), name.end(), [](char c) {
            return c == '~' || static_cast<unsigned char>(c) >= 0x80;
        });
    };
    std::string_view last(path);
    last.remove_prefix(last.find_last_of(windows ? "/\\" : "/") + 1);
    last = storedName(last, systemPathStyle());
    if (last.empty() || last == "." || last == ".." || !plain(path) || !plain(run.launcherName))
        return true;
    const std::string_view name(run.launcherName);
    return last.size() == name.size() &&
           std::equal(last.begin(), last.end(), name.begin(), [&](char a, char b) {
               return windows ? std::toupper(static_cast<unsigned char>(a)) ==
                                    std::toupper(static_cast<unsigned char>(b))
                              : a == b;
           });
}

// Whether path reaches the file at the launcher's path: spelt as its name, or the same file in
// the launcher directory however reached (a link to the directory), or under an alias of its
// name (an 8.3 name: the file has no other name). A second name of that file beside it is not
// its path: removing it would leave the launcher in place.
bool namesLauncher(const DeferredRun& run, const std::string& path) {
    if (run.launcherName.empty() || !mayEndInLauncherName(run, path))
        return false;
    const PathStyle style = systemPathStyle();
    const std::string comparableName = readListPath(run.launcherName, style).comparable;
    const std::string comparable = readListPath(path, style).comparable;
    if (comparable == comparableName)
        return true;
    const std::string fullPath = run.launcherDirectory + path;
    const std::optional<platform::FileIdentity> identity = platform::fileIdentity(fullPath);
    if (!identity || identity != platform::fileIdentity(launcherPath(run)))
        return false;
    if (platform::hardLinkCount(fullPath) == 1)
        return true;
    const std::string_view last =
        storedName(std::string_view(comparable).substr(comparable.rfind('/') + 1), style);
    const std::optional<std::string> resolved =
        platform::resolvedDirectory(run.launcherDirectory + directoryOf(path, style));
    return last == comparableName && resolved &&
           resolved == platform::resolvedDirectory(run.launcherDirectory);
}

// The operations, in order, that rename a file onto the launcher's path.
const std::vector<int>& replacements(DeferredRun& run) {
    if (!run.replacements) {
        run.replacements.emplace();
        forEachRenameDestination(run.list, run.operationCount,
                                 [&](int index, const std::string& destination) {
                                     if (replacesLauncher(run, destination))
                                         run.replacements->push_back(index);
                                 });
        std::sort(run.replacements->begin(), run.replacements->end());
    }
    return *run.replacements;
}

// The operation that waits for the replacement index: the first one since the replacement before
// it that moves the launcher away (a later one finds nothing left to move), found from the list
// alone, so that a run resumed at the replacement finds the same. Its path and, for a rename, its
// destination: where the launcher's old file goes.
struct WaitingOperation {
    std::string path;
    std::optional<std::string> keepAt;
};

std::optional<WaitingOperation> waitingFor(DeferredRun& run, int replacement) {
    const std::vector<int>& all = replacements(run);
    const auto at = std::lower_bound(all.begin(), all.end(), replacement);
    const int after = at == all.begin() ? -1 : *(at - 1);
    for (int index = after + 1; index < replacement; ++index) {
        const std::string& name = getProperty(run.list, operationKey(index, ""));
        const std::string& path = getProperty(run.list, operationKey(index, ".file"));
        const std::string& destination = getProperty(run.list, operationKey(index, ".destination"));
        // A rename refused for its destination never takes the launcher anywhere.
        if (movesLauncherAway(run, name, path, destination) &&
            (name == "delete" || refusalReason(run, destination) == nullptr))
            return WaitingOperation{path,
                                    name == "rename" ? std::optional(destination) : std::nullopt};
    }
    return std::nullopt;
}

void writeKeepLine(const std::string& path) {
    platform::printOutput("Keep file '%s' - it is the running launcher and nothing replaces it\n",
                          path.c_str());
}

// Where a rename replaces a running program: the old file is given its second name at keepAt
// first, so that it is at one of its names at every instant. An earlier attempt or run may have
// done so already. False where no second name can be made (no hard links).
bool keptUnderSecondName(const DeferredRun& run, const std::string& launcher,
                         const std::string& keepAt) {
    const std::string keep = run.launcherDirectory + keepAt;
    const std::optional<platform::FileIdentity> old = platform::fileIdentity(launcher);
    if (old && old == platform::fileIdentity(keep))
        return true;
    // The rename that waited would have replaced what is there.
    if (platform::systemCalls().pathExists(keep.c_str()) &&
        !platform::systemCalls().removeFile(keep.c_str()))
        return false;
    return platform::addHardLink(launcher.c_str(), keep.c_str());
}

// One attempt at the replacement: from renamed onto the launcher, its old file removed or kept
// at keepAt.
Attempt tryReplacement(DeferredRun& run, const std::string& from, const std::string& to,
                       const std::optional<std::string>& keepAt, std::string& boxText) {
    platform::SystemCalls& calls = platform::systemCalls();
    // As the list names it: started through an 8.3 alias, the launcher is renamed in and moved
    // aside under its long name all the same.
    const std::string launcher = run.launcherDirectory + to;
    const bool launcherThere = calls.pathExists(launcher.c_str());
    const auto renamedIn = [&] { return tryRenameFile(run, from, to) == Attempt::done; };
    if (platform::renameReplacesRunningProgram() &&
        (!keepAt || !launcherThere || keptUnderSecondName(run, launcher, *keepAt)))
        return renamedIn() ? Attempt::done : Attempt::failed;

    // The running program can't be replaced: moved aside, and put back at once when its
    // successor can't be renamed in.
    const std::string asideName =
        keepAt.value_or(movedAsideLauncherName(std::string(storedName(to, systemPathStyle()))));
    const std::string aside = run.launcherDirectory + asideName;
    if (launcherThere) {
        // One left by an earlier replacement goes first; while a process still runs from it,
        // the move below fails as a rename onto any held file does.
        if (!keepAt)
            (void)removeMovedAsideLauncher(run.launcherDirectory, to);
        if (!calls.renameFile(launcher.c_str(), aside.c_str()))
            return Attempt::failed;
    }
    if (renamedIn())
        return Attempt::done;
    if (!launcherThere)
        return Attempt::failed;
    const bool putBack = retryWithinBudget(
        run, [&] { return attempted(calls.renameFile(aside.c_str(), launcher.c_str())); },
        "rename file '" + asideName + "' to '" + to + "'", [] { return false; });
    if (putBack)
        return Attempt::failed;
    boxText = "Cannot rename file " + asideName + " to " + to;
    platform::writeOutput(boxText);
    return Attempt::givenUp;
}

}  // namespace

void recognizeLauncher(DeferredRun& run, const std::string& exePath) {
    run.launcherName = launcherFileName(exePath, run.launcherDirectory);
    run.runningLauncher = platform::fileIdentity(launcherPath(run));
    if (!run.runningLauncher)
        run.launcherName.clear();  // nothing at its path to keep there
    run.replacements.reset();
}

bool replacesLauncher(const DeferredRun& run, const std::string& destination) {
    return namesLauncher(run, destination);
}

bool movesLauncherAway(const DeferredRun& run, const std::string& name, const std::string& path,
                       const std::string& destination) {
    return (name == "delete" || (name == "rename" && !replacesLauncher(run, destination))) &&
           namesLauncher(run, path);
}

bool isRunningLauncherElsewhere(const DeferredRun& run, const std::string& path) {
    return run.runningLauncher &&
           platform::fileIdentity(run.launcherDirectory + path) == run.runningLauncher &&
           !namesLauncher(run, path);
}

void leaveToReplacement(DeferredRun& run, int index, const std::string& path) {
    const std::vector<int>& all = replacements(run);
    if (std::upper_bound(all.begin(), all.end(), index) == all.end())
        writeKeepLine(path);
}

void keepLauncher(DeferredRun& run, int index) {
    if (const std::optional<WaitingOperation> waiting = waitingFor(run, index))
        writeKeepLine(waiting->path);
}

bool replaceLauncher(DeferredRun& run, int index, const std::string& from,
                     const std::string& destination, const std::function<bool()>& refusedNow,
                     std::string& boxText) {
    if (namesLauncher(run, from))
        return true;  // already where it is to go
    const std::optional<WaitingOperation> waiting = waitingFor(run, index);
    const std::optional<std::string> keepAt = waiting ? waiting->keepAt : std::nullopt;
    return retryWithinBudget(
        run, [&] { return tryReplacement(run, from, destination, keepAt, boxText); },
        "rename file '" + from + "' to '" + destination + "'", refusedNow);
}

}  // namespace launcher
