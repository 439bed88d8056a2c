// Single attempts at the list's file operations, and the removal of the directories that a
// successful one leaves empty. Every call goes through the system-call seam.
#include "config/paths.h"
#include "config/process_state.h"
#include "deferred/deferred_operations.h"
#include "platform/files_and_directories.h"

namespace launcher {

namespace {

std::function<bool(const std::string&)> kept;

std::string parentDirectory(const std::string& path) {
    return parentPath(path, platform::directorySeparator());
}

}  // namespace

int tryDeleteFile(const std::string& path) {
    const int result = platform::systemCalls().removeFile((exeDir + path).c_str());
    if (result == 0)
        removeEmptyDirectories(parentDirectory(path));
    return result;
}

int tryRenameFile(const std::string& from, const std::string& to) {
    // The destination's directories are neither created nor cleared: only the source side
    // can have been emptied.
    const int result =
        platform::systemCalls().renameFile((exeDir + from).c_str(), (exeDir + to).c_str());
    if (result == 0)
        removeEmptyDirectories(parentDirectory(from));
    return result;
}

void removeEmptyDirectories(std::string dir) {
    // Ends at the first directory that can't be removed, or after the first component of the
    // path: the launcher directory itself is never a candidate.
    while (!dir.empty() && !(kept && kept(dir)) &&
           platform::systemCalls().removeDirectory((exeDir + dir).c_str()) == 0)
        dir = parentDirectory(dir);
}

void keepDirectories(std::function<bool(const std::string& dir)> keptDirectory) {
    kept = std::move(keptDirectory);
}

}  // namespace launcher
