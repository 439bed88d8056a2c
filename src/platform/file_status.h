#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct FileStatus {
    std::uint64_t size = 0;
    // The last modification time in the finest unit the platform keeps; only ever compared
    // with another value from the same platform.
    std::int64_t modificationTime = 0;

    bool operator==(const FileStatus&) const = default;
};

// Size and last modification time of the file at path, or nothing when it can't be read.
std::optional<FileStatus> fileStatus(const std::string& path);

}  // namespace platform
