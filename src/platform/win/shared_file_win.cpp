// Windows only.
#include <io.h>
#include <share.h>
#include <windows.h>

#include "platform/shared_file.h"

namespace platform {

std::FILE* openSharedForReading(const std::string& path) {
    std::FILE* const file = _fsopen(path.c_str(), "rb", _SH_DENYNO);
    if (file == nullptr)
        return nullptr;
    // Only a file on a disk is read: a device (NUL, CON, COM1) or a pipe reads as missing.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

}  // namespace platform
