#include "classpath/jvm_file_names.h"

namespace launcher {

namespace {

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return byte >= low && byte <= high;
}

// Valid UTF-8 as the JVM's decoder takes it: no overlong forms, no surrogates, nothing above
// U+10FFFF.
bool isValidUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const auto next = [&](std::size_t offset) {
            return at + offset < text.size() ? static_cast<unsigned char>(text[at + offset]) : 0;
        };
        std::size_t length = 0;
        if (lead < 0x80)
            length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = isContinuation(next(1)) ? 2 : 0;
        else if (lead >= 0xE0 && lead <= 0xEF) {
            const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
            const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
            length = isContinuation(next(1), low, high) && isContinuation(next(2)) ? 3 : 0;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
            const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
            length = isContinuation(next(1), low, high) && isContinuation(next(2)) &&
                             isContinuation(next(3))
                         ? 4
                         : 0;
        }
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

}  // namespace

bool canDecodeName(std::string_view name, platform::FileNameCharset charset) {
    switch (charset) {
        case platform::FileNameCharset::Ascii:
            return holdsOnlyAscii(name);
        case platform::FileNameCharset::Utf8:
            return isValidUtf8(name);
        case platform::FileNameCharset::AnyBytes:
            break;
    }
    return true;
}

}  // namespace launcher
