// Windows only.
#include <direct.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/file_operations.h"
#include "platform/win/ansi_text_win.h"

namespace platform {

bool pathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int removeFile(const char* path) {
    // Beyond the narrow calls' limit (the launcher's own files beside a long installation
    // folder) through the wide call; otherwise the C library's, as ever.
    if (std::strlen(path) < MAX_PATH)
        return std::remove(path);
    const std::wstring widePath = win::widePathForLongNames(path);
    return widePath.empty() ? std::remove(path) : _wremove(widePath.c_str());
}

int renameFile(const char* from, const char* to) {
    return std::rename(from, to);
}

int removeDirectory(const char* path) {
    return _rmdir(path);
}

int replaceFile(const char* from, const char* to) {
    const std::wstring wideFrom = win::widePathForLongNames(from);
    const std::wstring wideTo = win::widePathForLongNames(to);
    if (wideFrom.empty() || wideTo.empty())
        return -1;
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : -1;
}

}  // namespace platform
