// POSIX only: files are never locked against other readers and writers here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/shared_file.h"

namespace platform {

std::FILE* openSharedForReading(const std::string& path) {
    // Opened without blocking, so that a FIFO in the file's place cannot hold the start, and
    // then taken only when it is a regular file: a device or a directory reads as missing.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        ::fcntl(descriptor, F_SETFL, 0) != 0) {
        ::close(descriptor);
        return nullptr;
    }
    std::FILE* const file = ::fdopen(descriptor, "rb");
    if (file == nullptr)
        ::close(descriptor);
    return file;
}

std::FILE* openFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

}  // namespace platform
