// Windows only.
#include "platform/win/executable_path_win.h"

#include <windows.h>

#include <vector>

#include "platform/executable_path.h"
#include "platform/narrow_path.h"
#include "platform/win/ansi_text_win.h"

namespace platform {

namespace win {

std::wstring shortPathOf(const std::wstring& path) {
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0)
        return {};
    std::wstring shortPath(needed, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed)
        return {};
    shortPath.resize(length);
    return shortPath;
}

std::optional<std::string> narrowModulePath(const std::wstring& modulePath, unsigned codePage,
                                            ShortPathQuery shortPath) {
    return chooseNarrowPath(wideToCodePage(modulePath, codePage),
                            [&]() -> std::optional<std::string> {
                                const std::wstring shortForm = shortPath(modulePath);
                                if (shortForm.empty())
                                    return std::nullopt;
                                return wideToCodePage(shortForm, codePage);
                            });
}

}  // namespace win

std::optional<std::string> executablePath() {
    // MAX_PATH first; a longer path (long-path aware systems, \\?\ installs) gets a larger
    // buffer rather than a cut one.
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            break;
        if (buffer.size() >= 32768)
            break;
        buffer.resize(buffer.size() * 2);
    }
    buffer.back() = L'\0';
    const std::wstring modulePath(buffer.data());
    return win::narrowModulePath(modulePath, win::ansiCodePage(), win::shortPathOf);
}

}  // namespace platform
