// POSIX only: the process inherits its parent's streams, so there is nothing to attach.
#include <signal.h>

#include "platform/console.h"

namespace platform {

namespace {

struct sigaction inheritedBrokenPipe;
bool brokenPipeIgnored = false;

}  // namespace

void attachParentConsole() {}

void reopenStandardStreamsOnConsole() {}

void ignoreBrokenPipes() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    struct sigaction previous {};
    if (sigaction(SIGPIPE, &ignore, &previous) != 0)
        return;
    // A second call while ignored keeps what is to be given back.
    if (!brokenPipeIgnored)
        inheritedBrokenPipe = previous;
    brokenPipeIgnored = true;
}

void restoreBrokenPipes() {
    if (!brokenPipeIgnored)
        return;
    sigaction(SIGPIPE, &inheritedBrokenPipe, nullptr);
    brokenPipeIgnored = false;
}

}  // namespace platform
