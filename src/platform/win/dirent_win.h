#pragma once
// Windows only: the POSIX directory-reading interface over FindFirstFileW/FindNextFileW.

#include <cstdint>

namespace platform::win {

struct WideSearch;

struct dirent {
    long d_ino;               // always 0
    unsigned short d_reclen;  // carries no information
    std::size_t d_namlen;     // bytes of d_name without its terminator
    int d_type;               // 0x8000 regular, 0x4000 directory, 0x2000 device, 0 undetermined
    char d_name[260];
};

struct DIR {
    dirent entry;
    WideSearch* search;
};

DIR* opendir(const char* path);
dirent* readdir(DIR* stream);
int closedir(DIR* stream);

}  // namespace platform::win
