// Dynamic libraries and texts: loading a library, the built-in texts, text conversions.
// Declarations only. Failures follow the convention written at the top of
// files_and_directories.h; a library stays loaded for the whole process, so its handle is no
// owner.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Loads a shared library (LoadLibraryA; dlopen with RTLD_NOW | RTLD_GLOBAL). Null on failure.
[[nodiscard]] void* loadLibrary(const std::string& path);

// An exported symbol of a loaded library, or null.
[[nodiscard]] void* findSymbol(void* library, const char* name);

// The built-in text with the given number from the module's string resources (Windows) or the
// compiled-in table (POSIX), as a narrow string; nothing when there is none.
[[nodiscard]] std::optional<std::string> builtinText(void* moduleInstance, unsigned id);

// Decodes UTF-8 to UTF-16; every byte that does not start a valid sequence (overlong forms,
// surrogates and values above U+10FFFF included) becomes U+FFFD.
[[nodiscard]] std::u16string utf8ToUtf16(std::string_view text);

// A malloc'd copy of text that the caller releases with free: strdup on POSIX, _strdup on
// Windows. Null when memory runs out.
[[nodiscard]] char* duplicateString(const char* text);

}  // namespace platform
