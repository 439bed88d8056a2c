#pragma once

#include <cstdio>

// The seam over the system calls whose failures and pauses tests must be able to produce: the
// product calls through this table, tests may replace single entries (and restore them).

namespace platform {

struct MappedFile;

struct SystemCalls {
    bool (*pathExists)(const char* path);
    int (*removeFile)(const char* path);
    int (*renameFile)(const char* from, const char* to);
    int (*removeDirectory)(const char* path);
    void (*sleepMilliseconds)(unsigned milliseconds);
    // Writing through to the disk, so that what is recorded survives a power cut.
    int (*syncFile)(std::FILE* file);
    int (*syncDirectory)(const char* path);
    int (*syncMappedFile)(MappedFile* file);
};

// The table in use, initialised to the real calls.
SystemCalls& systemCalls();

// The real calls, for restoring an entry.
const SystemCalls& realSystemCalls();

}  // namespace platform
