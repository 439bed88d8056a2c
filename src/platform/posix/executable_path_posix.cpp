// POSIX only (Linux): the kernel's link to the running image, which names the real file.
#include <unistd.h>

#include <vector>

#include "platform/executable_path.h"

namespace platform {

std::optional<std::string> executablePath() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(length));
        }
        buffer.resize(buffer.size() * 2);  // possibly cut: read again with room to spare
    }
}

}  // namespace platform
