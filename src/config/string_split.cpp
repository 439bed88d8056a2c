#include "config/string_split.h"

namespace launcher {

std::vector<std::string> splitString(std::string_view text, char delimiter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    // Each round consumes one part and its delimiter; the end of the text alone ends it.
    while (start < text.size()) {
        const std::size_t end = text.find(delimiter, start);
        if (end == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            break;
        }
        parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace launcher
