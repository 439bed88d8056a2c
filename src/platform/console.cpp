// The launcher's own output, the same on every operating system: C stdio only.
#include "platform/console.h"

#include <cstdarg>
#include <cstdlib>

namespace platform {

namespace {

std::FILE* ownOutput = nullptr;

std::FILE* outputStream() {
    return ownOutput != nullptr ? ownOutput : stdout;
}

}  // namespace

void setOwnOutput(std::FILE* stream) {
    ownOutput = stream;
}

void writeOutput(std::string_view text) {
    std::FILE* const stream = outputStream();
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

void printOutput(const char* format, ...) {
    std::FILE* const stream = outputStream();
    std::va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stream, format, arguments);
    va_end(arguments);
    std::fflush(stream);
}

void exitAfterFailure() {
    std::fflush(outputStream());
    std::exit(1);
}

}  // namespace platform
