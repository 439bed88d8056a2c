// Windows only.
#include <string.h>

#include "platform/duplicate_string.h"

namespace platform {

char* duplicateString(const char* text) {
    return ::_strdup(text);
}

}  // namespace platform
