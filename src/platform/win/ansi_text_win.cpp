// Windows only.
#include "platform/win/ansi_text_win.h"

#include <windows.h>

namespace platform::win {

std::string wideToAnsi(const wchar_t* text, int length, const char* defaultChar) {
    if (length == 0)
        return {};
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, defaultChar, nullptr);
    if (bytes <= 0)
        return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), bytes, defaultChar, nullptr);
    if (length == -1 && !out.empty() && out.back() == '\0')
        out.pop_back();
    return out;
}

}  // namespace platform::win
