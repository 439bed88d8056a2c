// POSIX only: no message boxes, so the box becomes one line on standard error.
#include <cstdio>

#include "platform/message_box.h"

namespace platform {

void showMessageBox(const std::string& text, const std::string& caption) {
    std::string line = caption + ": " + text;
    if (line.empty() || line.back() != '\n')
        line += '\n';
    std::fflush(stdout);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace platform
