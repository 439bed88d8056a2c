// Windows only. Temporary: replaced by the FindFirstFileW-based implementation.
#include "platform/win/dirent_win.h"

#include <cerrno>

namespace platform::win {
DIR* opendir(const char*) {
    errno = ENOENT;
    return nullptr;
}
dirent* readdir(DIR*) {
    return nullptr;
}
int closedir(DIR*) {
    return 0;
}
}  // namespace platform::win
