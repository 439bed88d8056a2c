// POSIX only: the process inherits its parent's streams, so there is nothing to attach.
#include "platform/console.h"

namespace platform {

void attachParentConsole() {}

void reopenStandardStreamsOnConsole() {}

}  // namespace platform
