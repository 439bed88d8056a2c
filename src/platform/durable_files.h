// Durable files: what the deferred run needs to be safe against a second start and a power cut
// (the exclusion of a directory, moves in one step, the record created anew, writes through to
// the disk) and the seam over the calls that tests make fail. Declarations only; one
// implementation per operating system. Failures follow the convention written at the top of
// files_and_directories.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/files_and_directories.h"

namespace platform {

// Moves the file from to the name to, replacing a file already there in one step (the C
// library's rename refuses that on Windows): true when done.
[[nodiscard]] bool replaceFile(const char* from, const char* to);

// Moves the file from to the name to only when nothing is there yet, in one step: true when
// done, false when something is there or the move fails.
[[nodiscard]] bool renameWithoutReplacing(const char* from, const char* to);

// Creates the file at path for writing, only when nothing is there yet, a link included (a
// link's target is never written); null otherwise.
[[nodiscard]] std::FILE* createNewFile(const char* path);

// Writes what file holds through to the disk, with what it takes to read it back (its size),
// but not its times: true when done.
[[nodiscard]] bool syncFile(std::FILE* file);

// Writes the entries of the directory at path (a file created, renamed or removed in it)
// through to the disk: true when done, or when the system does not sync this directory at all;
// false when nothing is there or the sync reports an error (the disk failed).
[[nodiscard]] bool syncDirectory(const char* path);

// Writes everything written so far to the file system that holds the directory path (files
// of other programs included) through to the disk: true when done.
[[nodiscard]] bool syncFileSystem(const char* path);

// The exclusion of one installation directory: held by one process at a time and released by
// the system when the process ends, however it ends. It needs no file (nothing is left behind
// and nothing can be put in its place) and is not passed on to programs the process starts.
// Released when its owner goes.
struct DirectoryLock;
template <>
void Release<DirectoryLock>::operator()(DirectoryLock* lock) const noexcept;

// Waits until this process holds the exclusion of the directory dir, at most about
// waitMilliseconds (the pauses through the system-call seam). Null when it can't be had at all
// or not within that time.
[[nodiscard]] Owned<DirectoryLock> lockDirectory(const std::string& dir, unsigned waitMilliseconds);

// value in sixteen lower-case hexadecimal digits, as the names and records of these files write
// numbers.
std::string hexDigits(std::uint64_t value);

// The seam over the system calls whose failures and pauses tests must be able to produce: the
// product calls through this table, tests replace entries for a scope (tests/support).
struct SystemCalls {
    bool (*pathExists)(const char* path);
    bool (*removeFile)(const char* path);
    bool (*renameFile)(const char* from, const char* to);
    bool (*removeDirectory)(const char* path);
    bool (*replaceFile)(const char* from, const char* to);
    bool (*renameWithoutReplacing)(const char* from, const char* to);
    void (*sleepMilliseconds)(unsigned milliseconds);
    // The progress record the launcher writes.
    std::FILE* (*createNewFile)(const char* path);
    // Writing through to the disk, so that what is recorded survives a power cut.
    bool (*syncFile)(std::FILE* file);
    bool (*syncDirectory)(const char* path);
    bool (*syncFileSystem)(const char* path);
};

// The table in use, initialised to the real calls.
SystemCalls& systemCalls();

// The real calls, for an entry that replaces one to call on.
const SystemCalls& realSystemCalls();

}  // namespace platform
