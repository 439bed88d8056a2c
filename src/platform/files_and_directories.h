// Files and directories: paths, listings, locks, mapped files and the seam over the calls that
// tests make fail. Declarations only; one implementation per operating system.
//
// Failures at this boundary, in every platform header: a query answers std::optional (nothing =
// it failed, never an empty value that also means failure) or bool where the question is yes or
// no; an action answers bool (true = done); a resource comes as its owner (null = it could not
// be had). What a caller must look at is [[nodiscard]]; a caller that passes over a result on
// purpose says so with (void) and why. Exceptions: the C library's streams (std::FILE*, closed
// with std::fclose, whose result is part of writing) and handles kept for the whole process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The owner of a resource of this layer: it releases the resource once, when it goes, on every
// path. Null stands for a resource that could not be had.
template <typename Resource>
struct Release {
    void operator()(Resource* resource) const noexcept;
};
template <typename Resource>
using Owned = std::unique_ptr<Resource, Release<Resource>>;

// Makes path the current directory; false when that fails.
[[nodiscard]] bool setCurrentDirectory(const std::string& path);

// What the class path builder needs to know of an entry's type. Links and entries of unknown
// type are resolved to what they lead to; Undetermined is left for an entry the listing could
// not describe at all (a Windows name without a narrow form).
enum class EntryType { RegularFile, Undetermined, Other };

struct DirectoryEntry {
    std::string_view name;  // valid until the next call on the same listing
    EntryType type;
};

struct DirectoryListing;
template <>
void Release<DirectoryListing>::operator()(DirectoryListing* listing) const noexcept;

// Opens a listing of the directory path (relative to the current directory); null on failure.
[[nodiscard]] Owned<DirectoryListing> openDirectory(const char* path);

// The next entry, in the order the system yields them; false when the listing is exhausted or a
// read fails. Exhaustion is final.
[[nodiscard]] bool nextDirectoryEntry(DirectoryListing& listing, DirectoryEntry& entry);

// Whether anything exists at path, a dangling symbolic link included.
[[nodiscard]] bool pathExists(const char* path);

// Whether the system says for certain that nothing is at path (no such file, or a part of its
// directory missing), as opposed to a path it cannot look up at all (too long, not searchable).
[[nodiscard]] bool certainlyMissing(const char* path);

// The C library's remove, rename and rmdir: true when done.
[[nodiscard]] bool removeFile(const char* path);
[[nodiscard]] bool renameFile(const char* from, const char* to);
[[nodiscard]] bool removeDirectory(const char* path);

// Moves the file from to the name to, replacing a file already there in one step (the C
// library's rename refuses that on Windows): true when done.
[[nodiscard]] bool replaceFile(const char* from, const char* to);

// Moves the file from to the name to only when nothing is there yet, in one step: true when
// done, false when something is there or the move fails.
[[nodiscard]] bool renameWithoutReplacing(const char* from, const char* to);

// The absolute path of the existing directory at path with every link followed and every "."
// and ".." resolved, in a spelling only for comparing with another of its results (Windows: the
// final wide path as UTF-8, whatever the code page can write); nothing when it can't be
// resolved.
[[nodiscard]] std::optional<std::string> resolvedDirectory(const std::string& path);

// Creates the file at path for writing, only when nothing is there yet, a link included (a
// link's target is never written); null otherwise.
[[nodiscard]] std::FILE* createNewFile(const char* path);

// Writes what file holds through to the disk: true when done.
[[nodiscard]] bool syncFile(std::FILE* file);

// Writes the entries of the directory at path (a file created, renamed or removed in it)
// through to the disk: true when done.
[[nodiscard]] bool syncDirectory(const char* path);

// Writes everything written so far to the file system that holds the directory path (files
// of other programs included) through to the disk: true when done.
[[nodiscard]] bool syncFileSystem(const char* path);

struct FileStatus {
    std::uint64_t size = 0;
    // The last modification time in the finest unit the platform keeps; only ever compared
    // with another value from the same platform.
    std::int64_t modificationTime = 0;

    bool operator==(const FileStatus&) const = default;
};

// Size and last modification time of the file at path, or nothing when it can't be read.
[[nodiscard]] std::optional<FileStatus> fileStatus(const std::string& path);

// What the file system knows a file by, whatever path reaches it: on POSIX the device and the
// inode, on Windows the volume serial number and the file index. Two paths name the same file
// exactly when their identities are equal (8.3 aliases, links, case and drive letters alike).
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of what is at path, a link at its end itself (never what it leads to); nothing
// when nothing is there or it can't be read.
[[nodiscard]] std::optional<FileIdentity> fileIdentity(const std::string& path);

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

// The bytes of an existing file mapped into memory for reading and writing. What is stored in
// them reaches the file through the system's cache without a call per store, and stays there
// even when the process is killed. Its owner unmaps and closes it; afterwards the file may be
// removed.
struct MappedFile;
template <>
void Release<MappedFile>::operator()(MappedFile* file) const noexcept;

// Maps the first size bytes of the file at path, which must be at least that long; null when
// that fails.
[[nodiscard]] Owned<MappedFile> mapFile(const std::string& path, std::size_t size);

[[nodiscard]] char* mappedBytes(MappedFile& file);

// Writes the mapped bytes through to the disk: true when done.
[[nodiscard]] bool syncMappedFile(MappedFile& file);

// Opens a file for reading in binary mode, sharing it freely with other readers and writers.
// Null when it can't be opened or is not a regular file (a FIFO, a device, a directory): such
// a file counts as missing, and opening it never waits. Paths of any length.
[[nodiscard]] std::FILE* openSharedForReading(const std::string& path);

// The C library's fopen, for paths of any length (on Windows also beyond the narrow calls'
// limit). The file is kept from child processes (the client's), which would hold it open, and
// on Windows it is shared for deletion too: a list may delete a file the launcher holds.
[[nodiscard]] std::FILE* openFile(const std::string& path, const char* mode);

// Opens the file at path with the C library's mode ("r+b", "a", "wb"; created when missing
// where the mode creates), only when it is a regular file reached without a link at its end:
// a link, a FIFO (never waited on), a device or a directory give null.
[[nodiscard]] std::FILE* openRegularFile(const std::string& path, const char* mode);

// The separator between directories that the removal of emptied directories walks up by.
char directorySeparator();

// Whether byte begins a two-byte character in the code page of narrow paths (Windows: the ANSI
// code page, 932 for Japanese); never on POSIX, whose paths are bytes.
bool isLeadByte(unsigned char byte);

// A name (narrow) as the file system compares it: on Windows its case folded as the system folds
// it, beyond ASCII too ("\xFCber" and "\xDCber" alike in code page 1252); on POSIX as it is.
// Only for comparing with another of its results.
std::string comparableName(std::string_view name);

// The size of the open file, whatever it is (the C library's ftell stops at 2 GiB on Windows);
// nothing when it can't be read.
[[nodiscard]] std::optional<std::uint64_t> openFileSize(std::FILE* file);

// Moves the position of file to offset bytes from its start, whatever the file's size (the C
// library's fseek stops at 2 GiB on Windows): true when done.
[[nodiscard]] bool seekFile(std::FILE* file, std::uint64_t offset);

// The separator between class path elements in the JVM's class path option.
char pathListSeparator();

// The longest path, terminator included, that the narrow file calls of Windows take.
constexpr std::size_t narrowPathLimit = 260;

// What the directory of a path leaves under narrowPathLimit at least, for the names of the
// installation's files below it.
constexpr std::size_t roomForNamesBelow = 100;

// Chooses the form of a file's path that the narrow calls use: the long form when it converted
// without loss and its directory leaves roomForNamesBelow; otherwise the short form when it
// converted and is shorter; otherwise the long form as it is. Nothing when neither form
// converted. shortForm is asked only when needed.
std::optional<std::string> chooseNarrowPath(
    const std::optional<std::string>& longForm,
    const std::function<std::optional<std::string>()>& shortForm);

// The seam over the system calls whose failures and pauses tests must be able to produce: the
// product calls through this table, tests replace entries for a scope (ScopedSystemCalls).
struct SystemCalls {
    bool (*pathExists)(const char* path);
    bool (*removeFile)(const char* path);
    bool (*renameFile)(const char* from, const char* to);
    bool (*removeDirectory)(const char* path);
    bool (*replaceFile)(const char* from, const char* to);
    void (*sleepMilliseconds)(unsigned milliseconds);
    // The files the launcher writes: the progress record and the start log.
    std::FILE* (*createNewFile)(const char* path);
    std::FILE* (*openFile)(const std::string& path, const char* mode);
    Owned<MappedFile> (*mapFile)(const std::string& path, std::size_t size);
    // Writing through to the disk, so that what is recorded survives a power cut.
    bool (*syncFile)(std::FILE* file);
    bool (*syncDirectory)(const char* path);
    bool (*syncMappedFile)(MappedFile& file);
    bool (*syncFileSystem)(const char* path);
};

// The table in use, initialised to the real calls.
SystemCalls& systemCalls();

// The real calls, for an entry that replaces one to call on.
const SystemCalls& realSystemCalls();

// The table as it is now, for replacing entries while this object lives; afterwards the table
// is what it was before, whatever path leaves the scope.
class ScopedSystemCalls {
  public:
    ScopedSystemCalls() : saved_(systemCalls()) {}
    ~ScopedSystemCalls() { systemCalls() = saved_; }
    ScopedSystemCalls(const ScopedSystemCalls&) = delete;
    ScopedSystemCalls& operator=(const ScopedSystemCalls&) = delete;

    SystemCalls* operator->() const { return &systemCalls(); }

  private:
    SystemCalls saved_;
};

}  // namespace platform
