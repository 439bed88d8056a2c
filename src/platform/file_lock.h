#pragma once

#include <string>

namespace platform {

// An exclusive lock on a file, held by one process at a time and released by the system when
// the process ends, however it ends: a file left behind holds no lock. The lock is not passed
// on to programs the process starts.
struct FileLock;

// Waits until this process holds the lock on the file at path, which is created when missing.
// Null, at once, when the file can neither be opened nor locked.
FileLock* lockFile(const std::string& path);

// Releases the lock and closes the file, which stays. Accepts null.
void unlockFile(FileLock* lock);

}  // namespace platform
