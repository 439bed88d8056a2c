#pragma once

namespace platform {

// Whether anything exists at path, a dangling symbolic link included.
bool pathExists(const char* path);

// The C library's remove, rename and rmdir: 0 on success, non-zero on failure.
int removeFile(const char* path);
int renameFile(const char* from, const char* to);
int removeDirectory(const char* path);

}  // namespace platform
