// Preloaded into the launcher by the list tester: a pause returns at once, so that a list that
// gives up costs its 41 attempts and not ten seconds. The attempts, their count and everything
// they do stay as they are; nothing else of a start waits.
#include <ctime>

extern "C" int nanosleep(const timespec* /*duration*/, timespec* remaining) {
    if (remaining != nullptr)
        *remaining = {};
    return 0;
}

extern "C" int clock_nanosleep(clockid_t /*clock*/, int /*flags*/, const timespec* /*duration*/,
                               timespec* remaining) {
    if (remaining != nullptr)
        *remaining = {};
    return 0;
}
