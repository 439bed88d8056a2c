#pragma once

// The seam over the system calls whose failures and pauses tests must be able to produce: the
// product calls through this table, tests may replace single entries (and restore them).

namespace platform {

struct SystemCalls {
    bool (*pathExists)(const char* path);
    int (*removeFile)(const char* path);
    int (*renameFile)(const char* from, const char* to);
    int (*removeDirectory)(const char* path);
    void (*sleepMilliseconds)(unsigned milliseconds);
};

// The table in use, initialised to the real calls.
SystemCalls& systemCalls();

// The real calls, for restoring an entry.
const SystemCalls& realSystemCalls();

}  // namespace platform
