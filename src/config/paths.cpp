#include "config/paths.h"

#include "platform/files_and_directories.h"

namespace launcher {

PathStyle systemPathStyle() {
    return {platform::directorySeparator(), platform::isLeadByte, platform::comparableName};
}

std::size_t nextSeparator(std::string_view path, std::size_t from, const PathStyle& style) {
    // '/' separates parts too: every platform accepts it.
    const std::string_view separators = style.separator == '/' ? "/" : "/\\";
    for (std::size_t i = from; i < path.size(); ++i) {
        if (style.startsTwoByteCharacter(path[i]))
            ++i;
        else if (separators.find(path[i]) != std::string_view::npos)
            return i;
    }
    return std::string_view::npos;
}

std::size_t lastSeparator(std::string_view path, const PathStyle& style) {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = nextSeparator(path, 0, style); at != std::string_view::npos;
         at = nextSeparator(path, at + 1, style))
        last = at;
    return last;
}

std::string directoryOf(const std::string& path, const PathStyle& style) {
    const std::size_t last = lastSeparator(path, style);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

}  // namespace launcher
