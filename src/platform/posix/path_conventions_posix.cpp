// POSIX only.
#include "platform/path_conventions.h"

namespace platform {

char directorySeparator() {
    return '/';
}

char pathListSeparator() {
    return ':';
}

}  // namespace platform
