#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Opens a file for reading in binary mode, sharing it freely with other readers and writers.
// Null when it can't be opened.
std::FILE* openSharedForReading(const std::string& path);

}  // namespace platform
