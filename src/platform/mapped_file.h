#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The bytes of an existing file mapped into memory for reading and writing. What is stored in
// them reaches the file through the system's cache without a call per store, and stays there
// even when the process is killed.
struct MappedFile;

// Maps the first size bytes of the file at path, which must be at least that long; null when
// that fails.
MappedFile* mapFile(const std::string& path, std::size_t size);

char* mappedBytes(MappedFile* file);

// Writes the mapped bytes through to the disk: 0 on success.
int syncMappedFile(MappedFile* file);

// Unmaps and closes; afterwards the file may be removed.
void unmapFile(MappedFile* file);

}  // namespace platform
