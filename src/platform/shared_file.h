#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Opens a file for reading in binary mode, sharing it freely with other readers and writers.
// Null when it can't be opened. Paths of any length.
std::FILE* openSharedForReading(const std::string& path);

// The C library's fopen, for paths of any length (on Windows also beyond the narrow calls'
// limit).
std::FILE* openFile(const std::string& path, const char* mode);

}  // namespace platform
