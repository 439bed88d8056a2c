#include "classpath/jvm_file_names.h"

namespace launcher {

bool canDecodeName(std::string_view name, platform::FileNameCharset charset) {
    switch (charset) {
        case platform::FileNameCharset::Ascii:
            return holdsOnlyAscii(name);
        case platform::FileNameCharset::Utf8:
            while (!name.empty()) {
                const std::size_t length = platform::validUtf8Length(name);
                if (length == 0)
                    return false;
                name.remove_prefix(length);
            }
            break;
        case platform::FileNameCharset::AnyBytes:
            break;
    }
    return true;
}

}  // namespace launcher
