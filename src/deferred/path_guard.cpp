#include "deferred/path_guard.h"

#include <algorithm>
#include <map>

#include "config/paths.h"
#include "deferred/own_files.h"
#include "deferred/path_rules.h"
#include "platform/files_and_directories.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

// Whether resolved, a path as the system resolves it, lies outside the launcher directory,
// which is resolved when first needed. Resolved paths are spelt for comparison alone (UTF-8 on
// Windows): no code page of the list's to read them by.
bool liesOutside(DeferredRun& run, const std::string& resolved) {
    if (!run.resolvedLauncherDirectory)
        run.resolvedLauncherDirectory =
            platform::resolvedDirectory(run.launcherDirectory).value_or("");
    return !run.resolvedLauncherDirectory->empty() &&
           !isWithin(resolved, *run.resolvedLauncherDirectory, systemPathStyle().separator);
}

// Whether the directory that holds path in the launcher directory is, links followed, outside the
// launcher directory. A directory that can't be resolved leads nowhere: the operation then finds no
// file, or fails, as it would anyway.
bool resolvesOutside(DeferredRun& run, const std::string& path) {
    const std::string dir = directoryOf(path, systemPathStyle());
    if (dir.empty())
        return false;  // directly in the launcher directory
    if (const auto found = run.outsideByDirectory.find(dir); found != run.outsideByDirectory.end())
        return found->second;
    const std::optional<std::string> resolved =
        platform::resolvedDirectory(run.launcherDirectory + dir);
    const bool outside = resolved && liesOutside(run, *resolved);
    run.outsideByDirectory.emplace(dir, outside);
    return outside;
}

// Whether what a removal or rename of path acts on lies outside the launcher directory: where the
// system acts on what a link leads to (Wine), the link's directory alone does not tell.
bool targetOutside(DeferredRun& run, const std::string& path) {
    const std::optional<std::string> target =
        platform::resolvedTarget(run.launcherDirectory + path);
    return target && liesOutside(run, *target);
}

// Whether name, a path spelt for comparison, names one of the list's own files.
bool namesOwnFile(const DeferredRun& run, std::string_view comparable) {
    const std::string_view name = storedName(comparable, systemPathStyle());
    return std::find(run.ownFileNames.begin(), run.ownFileNames.end(), name) !=
           run.ownFileNames.end();
}

// Whether path reaches one of the list's own files, however (a link to the launcher directory,
// a hard link, another spelling): the file system's identity tells.
bool reachesOwnFile(const DeferredRun& run, const std::optional<platform::FileIdentity>& identity) {
    return identity &&
           std::find(run.ownFiles.begin(), run.ownFiles.end(), *identity) != run.ownFiles.end();
}

// refusalReason, and in found what is at path (looked up only for a path that gets that far:
// never a device's or one outside).
const char* refusalReason(DeferredRun& run, const std::string& path,
                          std::optional<platform::FileIdentity>& found) {
    if (path.find('\0') != std::string::npos)
        return "it holds a NUL character";
    const ListPath read = readListPath(path, systemPathStyle());
    if (read.leadsOut)
        return "it leads outside the launcher directory";
    if (read.namesDevice)
        return "it names a device";
    if (resolvesOutside(run, path) || targetOutside(run, path))
        return "it leads outside the launcher directory";
    found = platform::fileIdentity(run.launcherDirectory + path);
    if (namesOwnFile(run, read.comparable) || reachesOwnFile(run, found))
        return "it is a file of the launcher itself";
    return nullptr;
}

}  // namespace

const char* refusalReason(DeferredRun& run, const std::string& path) {
    std::optional<platform::FileIdentity> found;
    return refusalReason(run, path, found);
}

void recognizeOwnFiles(DeferredRun& run) {
    run.ownFiles.clear();
    run.ownFileNames.clear();
    for (const std::string_view name : listFileNames) {
        if (const auto identity = platform::fileIdentity(listFilePath(run.launcherDirectory, name)))
            run.ownFiles.push_back(*identity);
        run.ownFileNames.push_back(readListPath(name, systemPathStyle()).comparable);
    }
}

bool refused(DeferredRun& run, const std::string& name, const std::string& path,
             const std::string& destination) {
    run.found = {};
    if (name == "delete") {
        if (const char* reason = refusalReason(run, path, run.found.path)) {
            platform::printOutput("Refuse delete file '%s' - %s\n", path.c_str(), reason);
            return true;
        }
    } else if (name == "rename") {
        const char* reason = refusalReason(run, path, run.found.path);
        if (reason == nullptr)
            reason = refusalReason(run, destination, run.found.destination);
        if (reason != nullptr) {
            platform::printOutput("Refuse rename file '%s' to '%s' - %s\n", path.c_str(),
                                  destination.c_str(), reason);
            return true;
        }
    }
    return false;
}

bool refusedAfterPause(DeferredRun& run, const std::string& name, const std::string& path,
                       const std::string& destination) {
    run.outsideByDirectory.clear();
    return refused(run, name, path, destination);
}

void noteRenamed(DeferredRun& run, const std::string& destination) {
    // What moved is at the destination now, whatever the path held when the rename was first
    // tried. A regular file makes no directory lead elsewhere: one found outside may now lead
    // nowhere, and is looked at again. A directory or a link may make any directory lead
    // elsewhere.
    if (platform::isPlainFile((run.launcherDirectory + destination).c_str())) {
        std::erase_if(run.outsideByDirectory, [](const auto& found) { return found.second; });
    } else {
        run.outsideByDirectory.clear();
        run.directoriesMovedIntoKnown = false;
    }
}

}  // namespace launcher
