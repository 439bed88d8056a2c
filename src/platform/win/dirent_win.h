#pragma once
// Windows only: the POSIX directory-reading interface over FindFirstFileW/FindNextFileW.

#include <cstddef>

namespace platform::win {

// Entry types, coded with the file-mode type bits.
constexpr int direntUndetermined = 0;
constexpr int direntCharacterDevice = 0x2000;
constexpr int direntDirectory = 0x4000;
constexpr int direntRegularFile = 0x8000;

// The longest path, terminator included, that the interface handles (MAX_PATH).
constexpr std::size_t direntPathCapacity = 260;

struct WideSearch;

// Belongs to its stream; the next readdir on that stream overwrites it.
struct dirent {
    long d_ino;               // always 0
    unsigned short d_reclen;  // carries no information
    std::size_t d_namlen;     // bytes of d_name without its terminator
    int d_type;               // one of the dirent* types above
    char d_name[direntPathCapacity];
};

struct DIR {
    dirent entry;
    WideSearch* search;
};

// Null, with errno set (ENOENT, or the conversion's error), when path can't be listed.
DIR* opendir(const char* path);

// The next entry, or null once the listing is exhausted (for good) or a search error ends it.
dirent* readdir(DIR* stream);

// 0, or -1 with errno EBADF when there is no stream or no search.
int closedir(DIR* stream);

}  // namespace platform::win
