// POSIX only: argv as main received it, decoded from UTF-8.
#include <cstddef>

#include "platform/process_arguments.h"
#include "platform/utf8.h"

namespace platform {

namespace {
int recordedCount = 0;
char** recordedValues = nullptr;
}  // namespace

void recordProcessArguments(int argc, char** argv) {
    recordedCount = argc;
    recordedValues = argv;
}

std::vector<std::u16string> processArguments() {
    std::vector<std::u16string> arguments;
    arguments.reserve(static_cast<std::size_t>(recordedCount));
    for (int i = 0; i < recordedCount; ++i)
        arguments.push_back(utf8ToUtf16(recordedValues[i]));
    return arguments;
}

}  // namespace platform
