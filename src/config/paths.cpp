#include "config/paths.h"

#include "platform/files_and_directories.h"

namespace launcher {

namespace {

// The position of the first of separators in path at or after from that is a character of its
// own, never the second byte of a two-byte one; npos when there is none.
std::size_t nextOf(std::string_view path, std::size_t from, std::string_view separators,
                   const PathStyle& style) {
    for (std::size_t i = from; i < path.size(); ++i) {
        if (style.startsTwoByteCharacter(path[i]))
            ++i;
        else if (separators.find(path[i]) != std::string_view::npos)
            return i;
    }
    return std::string_view::npos;
}

// The last such position; npos when there is none.
std::size_t lastOf(std::string_view path, std::string_view separators, const PathStyle& style) {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = nextOf(path, 0, separators, style); at != std::string_view::npos;
         at = nextOf(path, at + 1, separators, style))
        last = at;
    return last;
}

// The separators of parts: the style's and '/', which every platform accepts.
std::string_view partSeparators(const PathStyle& style) {
    return style.separator == '/' ? "/" : "/\\";
}

}  // namespace

PathStyle systemPathStyle() {
    return {platform::directorySeparator(), platform::isLeadByte, platform::comparableName};
}

std::size_t lastSeparator(std::string_view path, const PathStyle& style) {
    return lastOf(path, partSeparators(style), style);
}

std::string directoryOf(const std::string& path, const PathStyle& style) {
    const std::size_t last = lastSeparator(path, style);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string parentPath(const std::string& path, const PathStyle& style) {
    const std::size_t last = lastOf(path, std::string_view(&style.separator, 1), style);
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::vector<std::string_view> pathParts(std::string_view path, const PathStyle& style) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t end = nextSeparator(path, 0, style);
        parts.push_back(path.substr(0, end));
        if (end == std::string_view::npos)
            return parts;
        path.remove_prefix(end + 1);
    }
}

std::size_t nextSeparator(std::string_view path, std::size_t from, const PathStyle& style) {
    return nextOf(path, from, partSeparators(style), style);
}

}  // namespace launcher
