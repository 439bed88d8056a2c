// Windows only.
#include <io.h>
#include <share.h>
#include <windows.h>

#include "platform/shared_file.h"
#include "platform/win/ansi_text_win.h"

namespace platform {

std::FILE* openSharedForReading(const std::string& path) {
    const std::wstring widePath = win::widePathForLongNames(path);
    std::FILE* const file = widePath.empty() ? _fsopen(path.c_str(), "rb", _SH_DENYNO)
                                             : _wfsopen(widePath.c_str(), L"rb", _SH_DENYNO);
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

std::FILE* openFile(const std::string& path, const char* mode) {
    const std::wstring widePath = win::widePathForLongNames(path);
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    if (widePath.empty())
        return std::fopen(path.c_str(), mode);
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

}  // namespace platform
