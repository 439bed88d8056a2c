// Windows only: the listing over the directory-reading interface of dirent_win.
#include "platform/directory_listing.h"
#include "platform/win/dirent_win.h"

namespace platform {

struct DirectoryListing {
    win::DIR* stream;
};

DirectoryListing* openDirectory(const char* path) {
    win::DIR* stream = win::opendir(path);
    if (stream == nullptr)
        return nullptr;
    return new DirectoryListing{stream};
}

bool nextDirectoryEntry(DirectoryListing* listing, DirectoryEntry& entry) {
    const win::dirent* record = win::readdir(listing->stream);
    if (record == nullptr)
        return false;
    entry.name = std::string_view(record->d_name, record->d_namlen);
    switch (record->d_type) {
        case win::direntRegularFile:
            entry.type = EntryType::RegularFile;
            break;
        case win::direntUndetermined:
            entry.type = EntryType::Undetermined;
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
    win::closedir(listing->stream);
    delete listing;
}

}  // namespace platform
