// Preloaded into the launcher (LD_PRELOAD) to mark its entry: the constructor runs once the
// dynamic linker has mapped and relocated every library, before the launcher's own static
// initialisers and main. The probe JVM reads the mark through the exported symbol.
#include <time.h>

extern "C" {

__attribute__((visibility("default"))) long long benchEntryNanoseconds = 0;

__attribute__((constructor)) static void markEntry() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    benchEntryNanoseconds = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}
}
