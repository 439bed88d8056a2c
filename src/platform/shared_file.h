#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Opens a file for reading in binary mode, sharing it freely with other readers and writers.
// Null when it can't be opened or is not a regular file (a FIFO, a device, a directory): such
// a file counts as missing, and opening it never waits. Paths of any length.
std::FILE* openSharedForReading(const std::string& path);

// The C library's fopen, for paths of any length (on Windows also beyond the narrow calls'
// limit).
std::FILE* openFile(const std::string& path, const char* mode);

}  // namespace platform
