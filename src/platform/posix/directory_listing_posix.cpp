// POSIX only: the C library's directory streams, with entry types mapped for the builder.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/directory_listing.h"

namespace platform {

struct DirectoryListing {
    DIR* stream;
    bool exhausted;
};

namespace {

// An entry whose type the listing leaves open (file systems without types in their
// directories) or a symbolic link counts as what it leads to: a regular file is offered;
// directories (the entries "." and ".." included), FIFOs, devices, sockets and dangling links
// are not, since the JVM would block on them or skip them without a word.
EntryType resolvedType(DIR* stream, const char* name) {
    struct stat target {};
    if (::fstatat(::dirfd(stream), name, &target, 0) == 0 && S_ISREG(target.st_mode))
        return EntryType::RegularFile;
    return EntryType::Other;
}

}  // namespace

DirectoryListing* openDirectory(const char* path) {
    DIR* stream = ::opendir(path);
    if (stream == nullptr)
        return nullptr;
    return new DirectoryListing{stream, false};
}

bool nextDirectoryEntry(DirectoryListing* listing, DirectoryEntry& entry) {
    if (listing->exhausted)
        return false;
    const dirent* record = ::readdir(listing->stream);
    if (record == nullptr) {
        listing->exhausted = true;
        return false;
    }
    entry.name = record->d_name;
    switch (record->d_type) {
        case DT_REG:
            entry.type = EntryType::RegularFile;
            break;
        case DT_UNKNOWN:
        case DT_LNK:
            entry.type = resolvedType(listing->stream, record->d_name);
            break;
        default:
            entry.type = EntryType::Other;
            break;
    }
    return true;
}

void closeDirectory(DirectoryListing* listing) {
    if (listing == nullptr)
        return;
    ::closedir(listing->stream);
    delete listing;
}

}  // namespace platform
