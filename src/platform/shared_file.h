#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Opens a file for reading in binary mode, sharing it freely with other readers and writers.
// Null when it can't be opened or is not a regular file (a FIFO, a device, a directory): such
// a file counts as missing, and opening it never waits.
std::FILE* openSharedForReading(const std::string& path);

}  // namespace platform
