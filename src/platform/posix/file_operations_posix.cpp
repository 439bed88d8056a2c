// POSIX only.
#include <fcntl.h>
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

std::FILE* createNewFile(const char* path) {
    const int descriptor = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return nullptr;
    std::FILE* const file = ::fdopen(descriptor, "wb");
    if (file == nullptr)
        ::close(descriptor);
    return file;
}

int syncFile(std::FILE* file) {
    return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0 ? 0 : -1;
}

int syncDirectory(const char* path) {
    const int descriptor = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    const int result = ::fsync(descriptor);
    ::close(descriptor);
    return result;
}

}  // namespace platform
