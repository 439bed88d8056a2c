#include "deferred/own_files.h"

#include "config/numbers.h"
#include "config/paths.h"
#include "config/property_file.h"
#include "deferred/list_identity.h"
#include "deferred/operation_count.h"
#include "deferred/path_rules.h"
#include "deferred/progress_record.h"
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
           platform::systemCalls().renameWithoutReplacing(source.c_str(), destination.c_str());
}

bool removeMovedAsideLauncher(const std::string& dir, const std::string& launcherName) {
    const std::string path = listFilePath(dir, movedAsideLauncherName(launcherName));
    return !leadsOut(dir, path) && platform::removeFileEvenIfReadOnly(path.c_str());
}

void deleteFinishedList(const std::string& dir, const ListIdentity& loadedList) {
    // Where the taken name is occupied (by a list that an earlier start could not move back yet),
    // the list is compared and deleted where it is. One that can't be deleted runs again at the
    // next start; its record, kept, then lets none of its operations be repeated.
    const bool taken = renameOwnFile(dir, listFileName, takenListFileName);
    const std::string_view ran = taken ? takenListFileName : listFileName;
    PropertyMap reread;
    const bool ours = loadList(listFilePath(dir, ran), reread) == loadedList;
    if (ours || !taken) {
        // A record left behind is stale: the next start removes it.
        if (!ours || removeOwnFile(dir, ran))
            (void)removeOwnFile(dir, progressFileName);
        return;
    }
    // A list that an updater put in place during the run is another list: it stays for the
    // next start, and the record, bound to this one, goes. Where yet another one has taken its
    // place meanwhile, it waits under the taken name until that one is done.
    (void)removeOwnFile(dir, progressFileName);
    (void)renameOwnFile(dir, takenListFileName, listFileName);
}

void deleteOrRestoreTakenList(const std::string& dir) {
    PropertyMap taken;
    if (const std::optional<ListIdentity> identity =
            loadList(listFilePath(dir, takenListFileName), taken)) {
        const int count = boundedOperationCount(parseLeadingInt(getProperty(taken, "size")), taken);
        const std::optional<int> finished =
            readFinishedOperations(listFilePath(dir, progressFileName), *identity);
        if (finished && *finished >= count) {
            // One that can't be removed is tried again at the next start.
            (void)removeOwnFile(dir, takenListFileName);
            return;
        }
    }
    if (!platform::systemCalls().pathExists(listFilePath(dir, listFileName).c_str()))
        (void)renameOwnFile(dir, takenListFileName, listFileName);  // else it waits
}

void removeMovedAsideLauncherAtStart(const std::string& exePath, const std::string& dir) {
    const std::string name = launcherFileName(exePath, dir);
    if (!name.empty() &&
        platform::systemCalls().pathExists(listFilePath(dir, movedAsideLauncherName(name)).c_str()))
        (void)removeMovedAsideLauncher(dir, name);  // tried again at the next start
}

}  // namespace launcher
