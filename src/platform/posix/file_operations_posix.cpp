// POSIX only.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/file_operations.h"

namespace platform {

bool pathExists(const char* path) {
    struct stat info {};
    return ::lstat(path, &info) == 0;
}

int removeFile(const char* path) {
    return std::remove(path);
}

int renameFile(const char* from, const char* to) {
    return std::rename(from, to);
}

int removeDirectory(const char* path) {
    return ::rmdir(path);
}

int replaceFile(const char* from, const char* to) {
    return std::rename(from, to);
}

std::optional<std::string> resolvedDirectory(const std::string& path) {
    char* const resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::nullopt;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

}  // namespace platform
