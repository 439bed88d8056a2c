#include "config/paths.h"

#include <array>

#include "platform/files_and_directories.h"

namespace launcher {

namespace {

constexpr char windowsSeparator = '\\';

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool startsCharacterOfTwo(const PathStyle& style, char c) {
    return style.isLeadByte != nullptr && style.isLeadByte(static_cast<unsigned char>(c));
}

// The position of the first of separators in path at or after from that is a character of its
// own, never the second byte of a two-byte one; npos when there is none.
std::size_t nextSeparator(std::string_view path, std::size_t from, std::string_view separators,
                          const PathStyle& style) {
    for (std::size_t i = from; i < path.size(); ++i) {
        if (startsCharacterOfTwo(style, path[i]))
            ++i;
        else if (separators.find(path[i]) != std::string_view::npos)
            return i;
    }
    return std::string_view::npos;
}

// The last such position; npos when there is none.
std::size_t lastOf(std::string_view path, std::string_view separators, const PathStyle& style) {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = nextSeparator(path, 0, separators, style); at != std::string_view::npos;
         at = nextSeparator(path, at + 1, separators, style))
        last = at;
    return last;
}

// The separators of parts: the style's and '/', which every platform accepts.
std::string_view partSeparators(const PathStyle& style) {
    return style.separator == '/' ? "/" : "/\\";
}

// The parts of path in order, empty ones included.
std::vector<std::string_view> partsOf(std::string_view path, const PathStyle& style) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t end = nextSeparator(path, 0, partSeparators(style), style);
        parts.push_back(path.substr(0, end));
        if (end == std::string_view::npos)
            return parts;
        path.remove_prefix(end + 1);
    }
}

bool isDeviceName(std::string_view part) {
    // The device is named by the text before the first dot or colon, trailing blanks dropped.
    // Neither byte is ever the second of a two-byte character.
    part = part.substr(0, part.find_first_of(".:"));
    while (!part.empty() && part.back() == ' ')
        part.remove_suffix(1);
    std::string name;
    for (const char c : part)
        name += upper(c);
    constexpr std::array<std::string_view, 6> plain = {"CON", "PRN",    "AUX",
                                                       "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : plain)
        if (name == device)
            return true;
    return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) &&
           name[3] >= '1' && name[3] <= '9';
}

std::string comparablePart(std::string_view part, const PathStyle& style) {
    if (style.comparableName != nullptr)
        return style.comparableName(part);
    std::string name(part);
    if (style.separator == windowsSeparator)
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (startsCharacterOfTwo(style, name[i]))
                ++i;  // the second byte of a character is no letter of its own
            else
                name[i] = upper(name[i]);
        }
    return name;
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

bool leavesLauncherDirectory(std::string_view path, const PathStyle& style) {
    int depth = 0;
    for (const std::string_view part : partsOf(path, style)) {
        if (part == "..") {
            if (--depth < 0)
                return true;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
    }
    return false;
}

std::string comparableDirectory(std::string_view dir, const PathStyle& style) {
    std::vector<std::string> parts;
    for (const std::string_view part : partsOf(dir, style)) {
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(comparablePart(part, style));
        }
    }
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : "/") + part;
    return joined;
}

std::vector<std::string> enclosingDirectories(std::string_view path, const PathStyle& style) {
    // '/' joins the parts: it is never a byte of a comparable name's characters.
    const std::string whole = comparableDirectory(path, style);
    std::vector<std::string> dirs;
    for (std::size_t slash = whole.find('/'); slash != std::string::npos;
         slash = whole.find('/', slash + 1))
        dirs.push_back(whole.substr(0, slash));
    return dirs;
}

bool cannotBeJoined(std::string_view path, const PathStyle& style) {
    if (path.starts_with('/'))
        return true;
    if (style.separator != windowsSeparator)
        return false;
    return path.starts_with(windowsSeparator) ||
           (path.size() >= 2 && !startsCharacterOfTwo(style, path[0]) && path[1] == ':');
}

bool namesDevice(std::string_view path, const PathStyle& style) {
    if (style.separator != windowsSeparator)
        return false;
    for (const std::string_view part : partsOf(path, style))
        if (isDeviceName(part))
            return true;
    return false;
}

bool isWithin(std::string_view dir, std::string_view root, const PathStyle& style) {
    const std::string_view separators = partSeparators(style);
    // Separators at the end of root are dropped, a root of one character ("/") kept.
    while (root.size() > 1) {
        const std::size_t last = lastOf(root, separators, style);
        if (last != root.size() - 1)
            break;
        root.remove_suffix(1);
    }
    if (!dir.starts_with(root))
        return false;
    if (dir.size() == root.size())
        return true;
    const bool rootEndsInSeparator = lastOf(root, separators, style) == root.size() - 1;
    return rootEndsInSeparator || nextSeparator(dir, root.size(), separators, style) == root.size();
}

}  // namespace launcher
