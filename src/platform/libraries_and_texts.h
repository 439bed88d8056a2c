// Dynamic libraries and texts: loading a library, the built-in texts, text conversions.
// Declarations only. Failures follow the convention written at the top of
// files_and_directories.h; a library stays loaded for the whole process, so its handle is no
// owner.
#pragma once

#include <cstddef>
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

// The length of the valid UTF-8 sequence that text begins with, as the JVM's decoder takes it
// (no overlong forms, no surrogates, nothing above U+10FFFF); 0 when it begins with none.
[[nodiscard]] std::size_t validUtf8Length(std::string_view text);

// Decodes UTF-8 to UTF-16; every byte that does not start a valid sequence becomes U+FFFD.
[[nodiscard]] std::u16string utf8ToUtf16(std::string_view text);

// How the JVM turns the bytes of a file name into text (its sun.jnu.encoding), as far as the
// class path needs it: a name the JVM can't decode it can't open.
enum class FileNameCharset {
    AnyBytes,  // every name the listing gives reads back as it is
    Ascii,     // bytes above 127 become U+FFFD
    Utf8,      // a byte outside a valid UTF-8 sequence becomes U+FFFD
};

// The charset of file names in the JVM this process hosts. POSIX: the JVM takes the locale the
// environment names (LC_ALL, LC_CTYPE, LANG), whatever this process's own; the C and POSIX
// locales, and names no locale is installed for, give ASCII. Windows: the listing gives names
// in the ANSI code page the JVM uses, converted without loss.
FileNameCharset jvmFileNameCharset();

// Where the environment gives the C or POSIX locale for characters, or none (LC_CTYPE, then
// LANG; a service, "env -i"), names in LC_CTYPE the first UTF-8 locale the system has
// (C.UTF-8 first), so that the JVM this process creates afterwards reads its installation
// folder, file names and arguments as UTF-8 rather than ASCII. Nothing else of the locale
// changes, and an LC_ALL that is set stays the user's explicit choice. Nothing on Windows.
void useUtf8WhereLocaleIsC();

// A malloc'd copy of text that the caller releases with free: strdup on POSIX, _strdup on
// Windows. Null when memory runs out.
[[nodiscard]] char* duplicateString(const char* text);

}  // namespace platform
