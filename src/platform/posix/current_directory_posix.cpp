// POSIX only.
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/current_directory.h"

namespace platform {

bool setCurrentDirectory(const std::string& path) {
    return ::chdir(path.c_str()) == 0;
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace platform
