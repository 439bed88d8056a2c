// Windows only: the string table of the executable's resources.
#include <windows.h>

#include "platform/resource_strings.h"
#include "platform/win/ansi_text_win.h"

namespace platform {

std::string loadResourceString(void* moduleInstance, unsigned id) {
    // With a buffer size of 0 LoadStringW hands out a read-only pointer into the module and
    // the length, without a NUL and without a limit.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(static_cast<HINSTANCE>(moduleInstance), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return {};
    return win::wideToAnsi(text, length, nullptr);
}

}  // namespace platform
