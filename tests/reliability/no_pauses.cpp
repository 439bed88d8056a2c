// Preloaded into the launcher by the list tester: a pause returns at once, so that a list that
// gives up costs its 41 attempts and not ten seconds. The attempts, their count and everything
// they do stay as they are; nothing else of a start waits. With LIST_TESTER_KILL_AT_PAUSE=n the
// process is killed in its n-th pause instead, as a user or a crash may end it while it retries.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

namespace {

void killWhenAsked() {
    static int pauses = 0;
    static const char* const killAt = std::getenv("LIST_TESTER_KILL_AT_PAUSE");
    if (killAt != nullptr && ++pauses == std::atoi(killAt))
        ::kill(::getpid(), SIGKILL);
}

}  // namespace

extern "C" int nanosleep(const timespec* /*duration*/, timespec* remaining) {
    killWhenAsked();
    if (remaining != nullptr)
        *remaining = {};
    return 0;
}

extern "C" int clock_nanosleep(clockid_t /*clock*/, int /*flags*/, const timespec* /*duration*/,
                               timespec* remaining) {
    killWhenAsked();
    if (remaining != nullptr)
        *remaining = {};
    return 0;
}
