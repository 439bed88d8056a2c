#include "deferred/own_files.h"

#include "config/paths.h"
#include "deferred/path_rules.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"

namespace launcher {

namespace {

bool leadsOut(const std::string& dir, const std::string& path) {
    const std::optional<std::string> target = platform::resolvedTarget(path);
    if (!target)
        return false;
    const std::optional<std::string> resolvedDir = platform::resolvedDirectory(dir);
    return !resolvedDir || !isWithin(*target, *resolvedDir, systemPathStyle());
}

}  // namespace

std::string launcherFileName(const std::string& exePath, const std::string& dir) {
    if (dir.empty() || !exePath.starts_with(dir) || exePath.size() == dir.size())
        return {};
    return exePath.substr(dir.size());
}

std::string movedAsideLauncherName(const std::string& launcherName) {
    return launcherName + ".old";
}

bool removeOwnFile(const std::string& dir, std::string_view name) {
    const std::string path = listFilePath(dir, name);
    return !leadsOut(dir, path) && platform::systemCalls().removeFile(path.c_str());
}

bool renameOwnFile(const std::string& dir, std::string_view from, std::string_view to) {
    const std::string source = listFilePath(dir, from);
    const std::string destination = listFilePath(dir, to);
    return !leadsOut(dir, source) && !leadsOut(dir, destination) &&
           platform::renameWithoutReplacing(source.c_str(), destination.c_str());
}

bool removeMovedAsideLauncher(const std::string& dir, const std::string& launcherName) {
    const std::string path = listFilePath(dir, movedAsideLauncherName(launcherName));
    return !leadsOut(dir, path) && platform::removeFileEvenIfReadOnly(path.c_str());
}

void removeMovedAsideLauncherAtStart(const std::string& exePath, const std::string& dir) {
    const std::string name = launcherFileName(exePath, dir);
    if (!name.empty() &&
        platform::systemCalls().pathExists(listFilePath(dir, movedAsideLauncherName(name)).c_str()))
        (void)removeMovedAsideLauncher(dir, name);  // tried again at the next start
}

}  // namespace launcher
