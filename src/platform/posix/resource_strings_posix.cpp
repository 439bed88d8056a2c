// POSIX only: the built-in texts compiled in from the same definitions as the Windows
// string table.
#include "platform/resource_strings.h"

namespace platform {

namespace {
struct BuiltinText {
    unsigned id;
    const char* text;
};
constexpr BuiltinText builtinTexts[] = {
#include "builtin_texts.inc"
};
}  // namespace

std::string loadResourceString(void* /*moduleInstance*/, unsigned id) {
    for (const BuiltinText& entry : builtinTexts) {
        if (entry.id == id)
            return entry.text;
    }
    return {};
}

}  // namespace platform
