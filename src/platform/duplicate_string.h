#pragma once

namespace platform {

// A malloc'd copy of text that the caller releases with free: strdup on POSIX, _strdup on
// Windows. Null when memory runs out.
char* duplicateString(const char* text);

}  // namespace platform
