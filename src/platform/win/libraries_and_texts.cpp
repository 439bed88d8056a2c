// Windows only: the libraries and texts of libraries_and_texts.h.

#include <windows.h>
// After windows.h, whose types some of these need.
#include <string.h>

#include <vector>

#include "platform/libraries_and_texts.h"
#include "platform/win/win_internal.h"

namespace platform {

void* loadLibrary(const std::string& path) {
    // A NUL would load the library named by the text before it.
    if (path.find('\0') != std::string::npos)
        return nullptr;
    // Wide, for a library past the narrow calls' limit. Without the long-path prefix: the JVM
    // derives its home from the path its library was loaded by.
    const std::optional<std::wstring> widePath = win::codePageToWide(path, CP_ACP);
    if (!widePath || widePath->empty())
        return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    return reinterpret_cast<void*>(LoadLibraryW(widePath->c_str()));
}

void* findSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

std::optional<std::string> builtinText(void* moduleInstance, unsigned id) {
    // With a buffer size of 0 LoadStringW hands out a read-only pointer into the module and
    // the length, without a NUL and without a limit.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(static_cast<HINSTANCE>(moduleInstance), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return std::nullopt;
    // What the code page can't write becomes its default character.
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::nullopt;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, out.data(), bytes, nullptr, nullptr);
    return out;
}

char* duplicateString(const char* text) {
    return ::_strdup(text);
}

// The directory stream converts names with the ANSI code page, the JVM's sun.jnu.encoding, and
// gives no narrow name where that conversion loses anything.
FileNameCharset jvmFileNameCharset() {
    return FileNameCharset::AnyBytes;
}

// The JVM takes the ANSI code page, not a locale of the environment.
void useUtf8WhereLocaleIsC() {}

}  // namespace platform

namespace platform::win {

std::optional<std::string> wideToCodePage(std::wstring_view text, unsigned codePage) {
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    const bool utf8 = codePage == CP_UTF8;
    // UTF-8 holds every character but a lone surrogate, which it refuses with this flag.
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int bytes = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr,
                                          usedDefaultOut);
    if (bytes <= 0 || usedDefault)
        return std::nullopt;
    std::string out(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(codePage, flags, text.data(), length, out.data(), bytes, nullptr,
                            usedDefaultOut) != bytes ||
        usedDefault)
        return std::nullopt;
    return out;
}

std::optional<std::wstring> codePageToWide(std::string_view text, unsigned codePage) {
    if (text.empty())
        return std::wstring();
    const int length = static_cast<int>(text.size());
    const int units =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (units <= 0)
        return std::nullopt;
    std::wstring out(static_cast<size_t>(units), L'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, out.data(),
                            units) != units)
        return std::nullopt;
    return out;
}
}  // namespace platform::win
