// Files and directories: paths, listings, status and identity, removing and renaming, opening
// files, names as the system reads them, and the owner of this layer's resources. Declarations
// only; one implementation per operating system. What makes the deferred run safe against a
// second start and a power cut is in durable_files.h.
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

[[nodiscard]] bool setCurrentDirectory(const std::string& path);

// What the class path builder needs to know of an entry's type. Links and entries of unknown
// type are resolved to what they lead to; an entry the listing could not describe at all (a
// Windows name without a narrow form) is taken as a regular file.
enum class EntryType { RegularFile, Other };

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

// Whether path names a regular file itself: not a directory, a link (not followed), a device
// or anything else.
[[nodiscard]] bool isPlainFile(const char* path);

// Whether the system says for certain that nothing is at path (no such file, a part of its
// directory missing, or on Windows a name no file can have: a wildcard, a quote, <>|), as
// opposed to a path it cannot look up at all (too long, not searchable).
[[nodiscard]] bool certainlyMissing(const char* path);

// The C library's remove, rename and rmdir: true when done.
[[nodiscard]] bool removeFile(const char* path);
[[nodiscard]] bool renameFile(const char* from, const char* to);
[[nodiscard]] bool removeDirectory(const char* path);

// removeFile, also of a read-only file (Windows refuses to remove one; archive tools leave the
// launcher read-only).
[[nodiscard]] bool removeFileEvenIfReadOnly(const char* path);

// Gives the file at existing a second name, newName, where nothing is yet: true when done (false
// where the file system has no hard links).
[[nodiscard]] bool addHardLink(const char* existing, const char* newName);

// Whether a rename may replace the file a running program was started from (POSIX), or the
// running program must first be moved out of the way (Windows).
bool renameReplacesRunningProgram();

// The absolute path of the existing directory at path with every link followed and every "."
// and ".." resolved, in a spelling only for comparing with another of its results (Windows: the
// final wide path as UTF-8, whatever the code page can write); nothing when it can't be
// resolved.
[[nodiscard]] std::optional<std::string> resolvedDirectory(const std::string& path);

// Where a removal or a rename of path acts, resolved as resolvedDirectory resolves it: on Windows
// what path leads to, links followed (Wine shows a POSIX link as a plain file and acts on what it
// leads to); nothing on POSIX, where the link itself is acted on, in its own directory. Nothing
// also when nothing is there.
[[nodiscard]] std::optional<std::string> resolvedTarget(const std::string& path);

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

// How many names (hard links) the file at path has, a link at its end itself; nothing when
// nothing is there or it can't be read.
[[nodiscard]] std::optional<std::uint64_t> hardLinkCount(const std::string& path);

// Whether a link at the end of a path is followed to what it leads to or refuses the path.
enum class LinkAtEnd { Refused, Followed };

// Opens the file at path with the C library's mode ("rb", "r+b", "a", "wb"; created when missing
// where the mode creates), for paths of any length, only when it is a regular file: a FIFO
// (never waited on), a device or a directory give null, and so does a link at its end unless
// followed. The file is kept from child processes (the client's), which would hold it open; on
// Windows the launcher's own files (a link refused) are shared for deletion too: a list may
// delete a file the launcher holds.
[[nodiscard]] std::FILE* openRegularFile(const std::string& path, const char* mode,
                                         LinkAtEnd atEnd = LinkAtEnd::Refused);

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

}  // namespace platform
