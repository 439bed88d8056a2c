#include "deferred/emptied_directories.h"

#include <algorithm>
#include <map>

#include "config/paths.h"
#include "config/property_file.h"
#include "deferred/operation_count.h"
#include "deferred/path_rules.h"
#include "platform/durable_files.h"

namespace launcher {

namespace {

// What the file system knows each directory that a later rename moves something into by, as the
// directories are now, with the last operation that does so: another spelling of one (a trailing
// dot or space, an 8.3 alias, a link on the way) names the same. Each directory is looked up once,
// however many renames write it alike.
void identifyDirectoriesMovedInto(DeferredRun& run) {
    std::map<std::string, int> lastByName;
    const PathStyle style = systemPathStyle();
    forEachRenameDestination(
        run.list, run.operationCount, [&](int index, const std::string& destination) {
            if (index <= run.currentOperation)
                return;
            // With its separator: a link on the way counts as the directory it leads to, which
            // is where the rename puts the file.
            for (std::size_t at = nextSeparator(destination, 0, style); at != std::string::npos;
                 at = nextSeparator(destination, at + 1, style)) {
                int& last = lastByName[destination.substr(0, at + 1)];
                last = std::max(last, index);
            }
        });
    run.lastMoveInto.clear();
    for (const auto& [name, index] : lastByName)
        if (const auto identity = platform::fileIdentity(run.launcherDirectory + name))
            run.lastMoveInto.push_back({name, *identity, index});
    run.directoriesMovedIntoKnown = true;
}

void removeInTurn(DeferredRun& run, const std::vector<std::string>& dirs, std::size_t first) {
    for (std::size_t i = first; i < dirs.size(); ++i)
        if (keptDirectory(run, dirs[i]) ||
            !platform::systemCalls().removeDirectory((run.launcherDirectory + dirs[i]).c_str()))
            return;
}

}  // namespace

bool keptDirectory(DeferredRun& run, const std::string& dir) {
    if (!run.directoriesMovedIntoKnown)
        identifyDirectoriesMovedInto(run);
    const auto later = [&](const DeferredRun::DirectoryMovedInto& entry) {
        return entry.lastOperation > run.currentOperation;
    };
    // Written as a later rename writes it, it is told without asking the file system.
    const std::string written = dir + systemPathStyle().separator;
    if (std::any_of(run.lastMoveInto.begin(), run.lastMoveInto.end(),
                    [&](const auto& entry) { return entry.name == written && later(entry); }))
        return true;
    if (std::none_of(run.lastMoveInto.begin(), run.lastMoveInto.end(), later))
        return false;
    const std::optional<platform::FileIdentity> identity =
        platform::fileIdentity(run.launcherDirectory + dir);
    return identity &&
           std::any_of(run.lastMoveInto.begin(), run.lastMoveInto.end(), [&](const auto& entry) {
               return entry.identity == *identity && later(entry);
           });
}

void removeEmptyDirectories(DeferredRun& run, const std::string& path) {
    removeInTurn(run, directoriesHolding(path, systemPathStyle()), 0);
}

void finishRemovalOfEmptiedDirectories(DeferredRun& run, const std::string& path) {
    const std::vector<std::string> dirs = directoriesHolding(path, systemPathStyle());
    std::size_t first = 0;
    while (first < dirs.size() &&
           !platform::systemCalls().pathExists((run.launcherDirectory + dirs[first]).c_str()))
        ++first;
    removeInTurn(run, dirs, first);
}

}  // namespace launcher
