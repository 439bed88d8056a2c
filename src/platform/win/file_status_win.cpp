// Windows only.
#include <windows.h>

#include "platform/file_status.h"

namespace platform {

std::optional<FileStatus> fileStatus(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    const auto combine = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    return FileStatus{combine(data.nFileSizeHigh, data.nFileSizeLow),
                      static_cast<std::int64_t>(combine(data.ftLastWriteTime.dwHighDateTime,
                                                        data.ftLastWriteTime.dwLowDateTime))};
}

}  // namespace platform
