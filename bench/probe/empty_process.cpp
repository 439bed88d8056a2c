// The baseline of the memory comparison: a process that does nothing but report its own peak
// resident set (VmHWM, kB) on standard output, built and linked like the launcher.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main() {
    // Plain system calls, so that the report itself adds as little as possible.
    char status[4096];
    const int file = open("/proc/self/status", O_RDONLY);
    if (file < 0)
        return 1;
    const ssize_t got = read(file, status, sizeof status - 1);
    close(file);
    if (got <= 0)
        return 1;
    status[got] = '\0';
    const char* field = std::strstr(status, "VmHWM:");
    if (field == nullptr)
        return 1;
    const long long kb = std::atoll(field + 6);
    char line[64];
    const int length = std::snprintf(line, sizeof line, "hwm_kb=%lld\n", kb);
    return write(1, line, static_cast<std::size_t>(length)) == length ? 0 : 1;
}
