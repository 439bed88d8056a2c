// Dynamic libraries and texts: loading a library, the built-in texts, text conversions.
// Declarations only.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Loads a shared library (LoadLibraryA; dlopen with RTLD_NOW | RTLD_GLOBAL). Null on failure.
void* loadLibrary(const std::string& path);

// An exported symbol of a loaded library, or null.
void* findSymbol(void* library, const char* name);

// The built-in text with the given number from the module's string resources (Windows) or the
// compiled-in table (POSIX), as a narrow string; empty when there is none.
std::string builtinText(void* moduleInstance, unsigned id);

// Decodes UTF-8 to UTF-16; every byte that does not start a valid sequence (overlong forms,
// surrogates and values above U+10FFFF included) becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// A malloc'd copy of text that the caller releases with free: strdup on POSIX, _strdup on
// Windows. Null when memory runs out.
char* duplicateString(const char* text);

}  // namespace platform
