// Preloaded into the launcher (LD_PRELOAD) to mark its entry: the constructor runs once the
// dynamic linker has mapped and relocated every library, before the launcher's own static
// initialisers and main. It also stands in front of dlopen, so that the load of the JVM library
// (the JVM's cost, not the launcher's) can be told apart. The probe JVM reads the marks through
// the exported symbols.
#include <dlfcn.h>
#include <time.h>

namespace {

long long now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) long long benchEntryNanoseconds = 0;
__attribute__((visibility("default"))) long long benchLoadNanoseconds = 0;  // all dlopen calls

__attribute__((constructor)) static void markEntry() {
    benchEntryNanoseconds = now();
}

__attribute__((visibility("default"))) void* dlopen(const char* path, int flags) {
    using Dlopen = void* (*)(const char*, int);
    static const auto next = reinterpret_cast<Dlopen>(dlsym(RTLD_NEXT, "dlopen"));
    const long long start = now();
    void* library = next(path, flags);
    benchLoadNanoseconds += now() - start;
    return library;
}
}
