#include "deferred/emptied_directories.h"

#include <algorithm>

#include "config/paths.h"
#include "config/property_file.h"
#include "deferred/operation_count.h"
#include "deferred/path_rules.h"
#include "platform/durable_files.h"

namespace launcher {

namespace {

// What the file system knows each directory that a later rename moves something into by, as
// the directories are now: another spelling of one (a trailing dot or space, an 8.3 alias)
// names the same.
void identifyDirectoriesMovedInto(DeferredRun& run) {
    run.lastMoveIntoByIdentity.clear();
    const PathStyle style = systemPathStyle();
    forEachRenameDestination(
        run.list, run.operationCount, [&](int index, const std::string& destination) {
            if (index <= run.currentOperation)
                return;
            for (std::size_t at = nextSeparator(destination, 0, style); at != std::string::npos;
                 at = nextSeparator(destination, at + 1, style)) {
                // With its separator: a link on the way counts as the directory it leads to, which
                // is where the rename puts the file.
                const auto identity =
                    platform::fileIdentity(run.launcherDirectory + destination.substr(0, at + 1));
                if (!identity)
                    continue;
                const auto known = std::find_if(
                    run.lastMoveIntoByIdentity.begin(), run.lastMoveIntoByIdentity.end(),
                    [&](const auto& entry) { return entry.first == *identity; });
                if (known == run.lastMoveIntoByIdentity.end())
                    run.lastMoveIntoByIdentity.emplace_back(*identity, index);
                else
                    known->second = std::max(known->second, index);
            }
        });
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
    if (run.lastMoveInto.empty())
        return false;
    const auto found = run.lastMoveInto.find(readListPath(dir, systemPathStyle()).comparable);
    if (found != run.lastMoveInto.end() && found->second > run.currentOperation)
        return true;
    // Written another way than the later rename writes it: the file system's identity tells.
    if (!run.directoriesMovedIntoKnown)
        identifyDirectoriesMovedInto(run);
    if (run.lastMoveIntoByIdentity.empty())
        return false;
    const std::optional<platform::FileIdentity> identity =
        platform::fileIdentity(run.launcherDirectory + dir);
    return identity && std::any_of(run.lastMoveIntoByIdentity.begin(),
                                   run.lastMoveIntoByIdentity.end(), [&](const auto& entry) {
                                       return entry.first == *identity &&
                                              entry.second > run.currentOperation;
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

std::map<std::string, int> lastMoveInto(const DeferredRun& run) {
    std::map<std::string, int> last;
    forEachRenameDestination(
        run.list, run.operationCount, [&](int index, const std::string& destination) {
            const std::string whole = readListPath(destination, systemPathStyle()).comparable;
            for (std::size_t end = 0; end < whole.size(); ++end) {
                if (whole[end] != '/')
                    continue;
                int& lastIndex = last[whole.substr(0, end)];
                lastIndex = std::max(lastIndex, index);
            }
        });
    return last;
}

}  // namespace launcher
