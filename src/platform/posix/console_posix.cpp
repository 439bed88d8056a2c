// POSIX only: the process inherits its parent's streams, so there is nothing to attach.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/console.h"

namespace platform {

namespace {

struct sigaction inheritedBrokenPipe;
bool brokenPipeIgnored = false;

bool sameTerminal(int first, int second) {
    struct stat one {};
    struct stat other {};
    if (isatty(first) == 0 || isatty(second) == 0)
        return false;
    if (fstat(first, &one) != 0 || fstat(second, &other) != 0)
        return false;
    return one.st_rdev == other.st_rdev && one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

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

void endPartialLineBeforeBox() {
    std::fflush(stdout);
    if (!sameTerminal(STDOUT_FILENO, STDERR_FILENO))
        return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace platform
