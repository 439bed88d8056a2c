#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace platform {

// Whether anything exists at path, a dangling symbolic link included.
bool pathExists(const char* path);

// The C library's remove, rename and rmdir: 0 on success, non-zero on failure.
int removeFile(const char* path);
int renameFile(const char* from, const char* to);
int removeDirectory(const char* path);

// Moves the file from to the name to, replacing a file already there in one step (the C
// library's rename refuses that on Windows): 0 on success, non-zero on failure.
int replaceFile(const char* from, const char* to);

// The absolute path of the existing directory at path with every link followed and every "."
// and ".." resolved; nothing when it can't be resolved.
std::optional<std::string> resolvedDirectory(const std::string& path);

// Creates the file at path for writing, only when nothing is there yet, a link included (a
// link's target is never written); null otherwise.
std::FILE* createNewFile(const char* path);

// Writes what file holds through to the disk: 0 on success.
int syncFile(std::FILE* file);

// Writes the entries of the directory at path (a file created, renamed or removed in it)
// through to the disk: 0 on success.
int syncDirectory(const char* path);

}  // namespace platform
