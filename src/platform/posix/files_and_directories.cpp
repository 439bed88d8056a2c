// POSIX only: the files and directories of files_and_directories.h.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/durable_files.h"
#include "platform/files_and_directories.h"

namespace platform {

bool setCurrentDirectory(const std::string& path) {
    return ::chdir(path.c_str()) == 0;
}

// The directory's records as the system hands them out, a batch per call. The C library's
// stream does the same, taking a lock for every entry; the class path reads every entry of its
// directories.
struct DirectoryListing {
    int descriptor = -1;
    bool exhausted = false;
    std::size_t next = 0;    // the next record in records
    std::size_t filled = 0;  // the bytes of records the last batch filled
    // As large as the C library's: a directory of a thousand jars is a few batches.
    alignas(dirent64) char records[32768];
};

namespace {

// An entry whose type the listing leaves open (file systems without types in their
// directories) or a symbolic link counts as what it leads to: a regular file is offered;
// directories (the entries "." and ".." included), FIFOs, devices, sockets and dangling links
// are not, since the JVM would block on them or skip them without a word.
EntryType resolvedType(int directory, const char* name) {
    struct stat target {};
    if (::fstatat(directory, name, &target, 0) == 0 && S_ISREG(target.st_mode))
        return EntryType::RegularFile;
    return EntryType::Other;
}

}  // namespace

Owned<DirectoryListing> openDirectory(const char* path) {
    // Never left waiting on a FIFO where the directory should be.
    const int descriptor = ::open(path, O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    Owned<DirectoryListing> listing(new DirectoryListing);
    listing->descriptor = descriptor;
    return listing;
}

bool nextDirectoryEntry(DirectoryListing& listing, DirectoryEntry& entry) {
    const dirent64* record = nullptr;
    // A record without an inode names a deleted entry on some file systems, which the C
    // library's stream passes over too.
    do {
        if (listing.next >= listing.filled) {
            // The next batch. An error ends the listing as its end does, as the C library's
            // stream would.
            const ssize_t filled =
                listing.exhausted
                    ? 0
                    : ::getdents64(listing.descriptor, listing.records, sizeof listing.records);
            if (filled <= 0) {
                listing.exhausted = true;
                return false;
            }
            listing.filled = static_cast<std::size_t>(filled);
            listing.next = 0;
        }
        record = reinterpret_cast<const dirent64*>(listing.records + listing.next);
        listing.next += record->d_reclen;
    } while (record->d_ino == 0);
    entry.name = record->d_name;
    switch (record->d_type) {
        case DT_REG:
            entry.type = EntryType::RegularFile;
            break;
        case DT_UNKNOWN:
        case DT_LNK:
            entry.type = resolvedType(listing.descriptor, record->d_name);
            break;
        default:
            entry.type = EntryType::Other;
            break;
    }
    return true;
}

template <>
void Release<DirectoryListing>::operator()(DirectoryListing* listing) const noexcept {
    ::close(listing->descriptor);
    delete listing;
}

bool pathExists(const char* path) {
    struct stat info {};
    return ::lstat(path, &info) == 0;
}

bool isPlainFile(const char* path) {
    struct stat info {};
    return ::lstat(path, &info) == 0 && S_ISREG(info.st_mode);
}

bool certainlyMissing(const char* path) {
    struct stat info {};
    return ::lstat(path, &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

bool removeFile(const char* path) {
    return std::remove(path) == 0;
}

bool removeFileEvenIfReadOnly(const char* path) {
    return removeFile(path);  // a file's own permissions never stop its removal here
}

bool addHardLink(const char* existing, const char* newName) {
    return ::link(existing, newName) == 0;
}

bool renameReplacesRunningProgram() {
    return true;
}

bool renameFile(const char* from, const char* to) {
    return std::rename(from, to) == 0;
}

bool removeDirectory(const char* path) {
    return ::rmdir(path) == 0;
}

std::optional<std::string> resolvedDirectory(const std::string& path) {
    char* const resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::nullopt;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

std::optional<std::string> resolvedTarget(const std::string& /*path*/) {
    return std::nullopt;
}

std::optional<FileStatus> fileStatus(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    constexpr std::int64_t nanosecondsPerSecond = 1'000'000'000;
    return FileStatus{static_cast<std::uint64_t>(info.st_size),
                      static_cast<std::int64_t>(info.st_mtim.tv_sec) * nanosecondsPerSecond +
                          info.st_mtim.tv_nsec};
}

std::optional<std::uint64_t> hardLinkCount(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_nlink);
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

// Files are never locked against other readers and writers here.
std::FILE* openRegularFile(const std::string& path, const char* mode, LinkAtEnd atEnd) {
    const std::string_view kind(mode);
    // Opened without blocking, so that a FIFO in the file's place cannot hold the start.
    int flags = (atEnd == LinkAtEnd::Refused ? O_NOFOLLOW : 0) | O_NONBLOCK | O_CLOEXEC;
    if (kind.starts_with('a'))
        flags |= O_WRONLY | O_CREAT | O_APPEND;
    else if (kind.starts_with('w'))
        flags |= O_WRONLY | O_CREAT;
    else
        flags |= kind.find('+') != std::string_view::npos ? O_RDWR : O_RDONLY;
    const int descriptor = ::open(path.c_str(), flags, 0666);
    if (descriptor < 0)
        return nullptr;
    // Truncated only once it is known to be a regular file: a device is never emptied.
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        ::fcntl(descriptor, F_SETFL, flags & O_APPEND) != 0 ||
        (kind.starts_with('w') && ::ftruncate(descriptor, 0) != 0)) {
        ::close(descriptor);
        return nullptr;
    }
    std::FILE* const file = ::fdopen(descriptor, mode);
    if (file == nullptr)
        ::close(descriptor);
    return file;
}

char directorySeparator() {
    return '/';
}

bool isLeadByte(unsigned char /*byte*/) {
    return false;
}

std::string comparableName(std::string_view name) {
    return std::string(name);
}

std::optional<std::uint64_t> openFileSize(std::FILE* file) {
    struct stat info {};
    if (::fstat(::fileno(file), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

bool seekFile(std::FILE* file, std::uint64_t offset) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

char pathListSeparator() {
    return ':';
}

}  // namespace platform
