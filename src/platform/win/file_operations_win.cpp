// Windows only.
#include <direct.h>
#include <windows.h>

#include <cstdio>

#include "platform/file_operations.h"

namespace platform {

bool pathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int removeFile(const char* path) {
    return std::remove(path);
}

int renameFile(const char* from, const char* to) {
    return std::rename(from, to);
}

int removeDirectory(const char* path) {
    return _rmdir(path);
}

int replaceFile(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : -1;
}

}  // namespace platform
