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

// A symbolic link counts as what it points to: a directory is not offered, anything else is
// taken as a regular file (a dangling link included, so that it fails later, visibly).
EntryType linkTargetType(DIR* stream, const char* name) {
    struct stat target {};
    if (::fstatat(::dirfd(stream), name, &target, 0) == 0 && S_ISDIR(target.st_mode)) {
        return EntryType::Other;
    }
    return EntryType::RegularFile;
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
            entry.type = EntryType::Undetermined;
            break;
        case DT_LNK:
            entry.type = linkTargetType(listing->stream, record->d_name);
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
