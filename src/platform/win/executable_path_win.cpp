// Windows only.
#include <windows.h>

#include <vector>

#include "platform/executable_path.h"
#include "platform/win/ansi_text_win.h"

namespace platform {

std::string executablePath() {
    // MAX_PATH first; a longer path (long-path aware systems, \\?\ installs) gets a larger
    // buffer rather than a cut one.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            break;
        if (buffer.size() >= 32768)
            break;
        buffer.resize(buffer.size() * 2);
    }
    buffer.back() = L'\0';
    return win::wideToAnsi(buffer.data(), -1, " ");
}

}  // namespace platform
