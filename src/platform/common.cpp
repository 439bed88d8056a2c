// What is the same on every operating system: the launcher's own output, text decoding and the
// seam's table of real calls. No operating-system headers here.

#include <cstdarg>
#include <cstdlib>

#include "platform/durable_files.h"
#include "platform/files_and_directories.h"
#include "platform/libraries_and_texts.h"
#include "platform/process_and_console.h"

namespace platform {

// The launcher's own output, the same on every operating system: C stdio only.
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

namespace {

constexpr char16_t replacement = u'\uFFFD';

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

void appendCodePoint(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
    } else {
        codePoint -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t codePoint = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, codePoint = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, codePoint = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, codePoint = lead & 0x07, minimum = 0x10000;
        } else {
            out.push_back(replacement);
            ++i;
            continue;
        }
        std::size_t taken = 1;
        while (taken < length && i + taken < text.size() &&
               isContinuation(static_cast<unsigned char>(text[i + taken]))) {
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i + taken]) & 0x3F);
            ++taken;
        }
        const bool valid = taken == length && codePoint >= minimum && codePoint <= 0x10FFFF &&
                           !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
        if (valid) {
            appendCodePoint(out, codePoint);
            i += length;
        } else {
            // Only the lead byte is replaced; what follows is read afresh.
            out.push_back(replacement);
            ++i;
        }
    }
    return out;
}

const SystemCalls& realSystemCalls() {
    static const SystemCalls real{.pathExists = pathExists,
                                  .removeFile = removeFile,
                                  .renameFile = renameFile,
                                  .removeDirectory = removeDirectory,
                                  .replaceFile = replaceFile,
                                  .renameWithoutReplacing = renameWithoutReplacing,
                                  .sleepMilliseconds = sleepMilliseconds,
                                  .createNewFile = createNewFile,
                                  .syncFile = syncFile,
                                  .syncDirectory = syncDirectory,
                                  .syncFileSystem = syncFileSystem};
    return real;
}

SystemCalls& systemCalls() {
    static SystemCalls current = realSystemCalls();
    return current;
}

}  // namespace platform
