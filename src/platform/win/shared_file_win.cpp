// Windows only.
#include <share.h>

#include "platform/shared_file.h"
#include "platform/win/ansi_text_win.h"

namespace platform {

std::FILE* openSharedForReading(const std::string& path) {
    const std::wstring widePath = win::widePathForLongNames(path);
    if (widePath.empty())
        return _fsopen(path.c_str(), "rb", _SH_DENYNO);
    return _wfsopen(widePath.c_str(), L"rb", _SH_DENYNO);
}

std::FILE* openFile(const std::string& path, const char* mode) {
    const std::wstring widePath = win::widePathForLongNames(path);
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    if (widePath.empty())
        return std::fopen(path.c_str(), mode);
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

}  // namespace platform
