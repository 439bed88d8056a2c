// What is the same on every operating system: the launcher's own output, text decoding and the
// seam's table of real calls. No operating-system headers here.

#include <cstdarg>
#include <cstdlib>

#include "platform/durable_files.h"
#include "platform/files_and_directories.h"
#include "platform/libraries_and_texts.h"
#include "platform/process_and_console.h"

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

std::size_t validUtf8Length(std::string_view text) {
    const auto byteIn = [&](std::size_t at, unsigned low, unsigned high) {
        return at < text.size() && static_cast<unsigned char>(text[at]) >= low &&
               static_cast<unsigned char>(text[at]) <= high;
    };
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return byteIn(1, 0x80, 0xBF) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF)
        return byteIn(1, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF) &&
                       byteIn(2, 0x80, 0xBF)
                   ? 3
                   : 0;
    if (lead >= 0xF0 && lead <= 0xF4)
        return byteIn(1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF) &&
                       byteIn(2, 0x80, 0xBF) && byteIn(3, 0x80, 0xBF)
                   ? 4
                   : 0;
    return 0;
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = validUtf8Length(text);
        if (length == 0) {
            // Only the lead byte is replaced; what follows is read afresh.
            out.push_back(u'\uFFFD');
            text.remove_prefix(1);
            continue;
        }
        constexpr unsigned char leadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
        char32_t codePoint = static_cast<unsigned char>(text[0]) & leadBits[length];
        for (std::size_t at = 1; at < length; ++at)
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[at]) & 0x3F);
        text.remove_prefix(length);
        if (codePoint < 0x10000) {
            out.push_back(static_cast<char16_t>(codePoint));
        } else {
            codePoint -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        }
    }
    return out;
}

std::string hexDigits(std::uint64_t value) {
    std::string text(16, '0');
    for (std::size_t i = text.size(); i > 0; --i, value >>= 4)
        text[i - 1] = "0123456789abcdef"[value & 0xf];
    return text;
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
