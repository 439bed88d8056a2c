// The removal of the directories that the list's operations leave empty.
#include "deferred/emptied_directories.h"

#include <algorithm>
#include <charconv>

#include "config/paths.h"
#include "config/process_state.h"
#include "config/property_file.h"
#include "deferred/path_rules.h"
#include "platform/durable_files.h"

namespace launcher {

namespace {

std::string parentDirectory(const std::string& path) {
    return parentPath(path, systemPathStyle());
}

std::string operationKey(int index, std::string_view suffix) {
    std::string key = "operation." + std::to_string(index);
    key += suffix;
    return key;
}

}  // namespace

bool keptDirectory(const DeferredRun& run, const std::string& dir) {
    if (run.lastMoveInto.empty())
        return false;
    const auto found = run.lastMoveInto.find(comparableDirectory(dir, systemPathStyle()));
    return found != run.lastMoveInto.end() && found->second > run.attemptIndex;
}

void removeEmptyDirectories(const DeferredRun& run, std::string dir) {
    // Ends at the first directory that can't be removed, or after the first component of the
    // path: the launcher directory itself is never a candidate.
    while (!dir.empty() && !keptDirectory(run, dir) &&
           platform::systemCalls().removeDirectory((exeDir + dir).c_str()))
        dir = parentDirectory(dir);
}

void finishRemovalOfEmptiedDirectories(const DeferredRun& run, const std::string& path) {
    std::string dir = parentDirectory(path);
    while (!dir.empty() && !platform::systemCalls().pathExists((exeDir + dir).c_str()))
        dir = parentDirectory(dir);
    removeEmptyDirectories(run, dir);
}

void syncDirectoryHolding(const std::string& path) {
    const PathStyle style = systemPathStyle();
    std::size_t last = lastSeparator(path, style);
    std::string dir = last == std::string::npos ? std::string() : path.substr(0, last);
    // Each step is shorter, so the walk ends at the launcher directory at the latest.
    while (!platform::systemCalls().syncDirectory((exeDir + dir).c_str()) && !dir.empty()) {
        last = lastSeparator(dir, style);
        dir = last == std::string::npos ? std::string() : dir.substr(0, last);
    }
}

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

}  // namespace launcher
