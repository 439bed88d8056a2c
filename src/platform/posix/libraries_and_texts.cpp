// POSIX only: the libraries and texts of libraries_and_texts.h.

#include <dlfcn.h>
#include <string.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/libraries_and_texts.h"

namespace platform {

namespace {

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace

void* loadLibrary(const std::string& path) {
    // dlopen("") would hand back the main program; an empty path names no library, and one
    // with a NUL would load the library named by the text before it.
    if (path.empty() || path.find('\0') != std::string::npos)
        return nullptr;
    // A relative path with a directory part is resolved here, against the current directory,
    // as Windows does: the library then knows its own absolute location, from which HotSpot
    // finds the rest of its installation later, after the current directory has changed.
    if (path.front() != '/' && path.find('/') != std::string::npos) {
        const std::string absolute = currentDirectory() + "/" + path;
        return ::dlopen(absolute.c_str(), RTLD_NOW | RTLD_GLOBAL);
    }
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
}

void* findSymbol(void* library, const char* name) {
    return ::dlsym(library, name);
}

// The built-in texts compiled in from the same definitions as the Windows
// string table.
namespace {
struct BuiltinText {
    unsigned id;
    const char* text;
};
constexpr BuiltinText builtinTexts[] = {
#include "builtin_texts.inc"
};
}  // namespace

std::optional<std::string> builtinText(void* /*moduleInstance*/, unsigned id) {
    for (const BuiltinText& entry : builtinTexts) {
        if (entry.id == id)
            return entry.text;
    }
    return std::nullopt;
}

char* duplicateString(const char* text) {
    return ::strdup(text);
}

}  // namespace platform
