// POSIX only: files are never locked against other readers and writers here.
#include "platform/shared_file.h"

namespace platform {

std::FILE* openSharedForReading(const std::string& path) {
    return std::fopen(path.c_str(), "rb");
}

std::FILE* openFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

}  // namespace platform
