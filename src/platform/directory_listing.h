#pragma once

#include <string_view>

namespace platform {

// What the class path builder needs to know of an entry's type. Links and entries of unknown
// type are resolved to what they lead to; Undetermined is left for an entry the listing could
// not describe at all (a Windows name without a narrow form).
enum class EntryType { RegularFile, Undetermined, Other };

struct DirectoryEntry {
    std::string_view name;  // valid until the next call on the same listing
    EntryType type;
};

struct DirectoryListing;

// Opens a listing of the directory path (relative to the current directory); null on failure.
DirectoryListing* openDirectory(const char* path);

// The next entry, in the order the system yields them; false when the listing is exhausted or a
// read fails. Exhaustion is final.
bool nextDirectoryEntry(DirectoryListing* listing, DirectoryEntry& entry);

void closeDirectory(DirectoryListing* listing);

}  // namespace platform
