// POSIX only.
#include <sys/stat.h>

#include "platform/file_status.h"

namespace platform {

std::optional<FileStatus> fileStatus(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    constexpr std::int64_t nanosecondsPerSecond = 1'000'000'000;
    return FileStatus{static_cast<std::uint64_t>(info.st_size),
                      static_cast<std::int64_t>(info.st_mtim.tv_sec) * nanosecondsPerSecond +
                          info.st_mtim.tv_nsec};
}

}  // namespace platform
