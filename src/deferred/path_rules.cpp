#include "deferred/path_rules.h"

#include <array>

namespace launcher {

namespace {

constexpr char windowsSeparator = '\\';

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string comparablePart(std::string_view part, const PathStyle& style);

bool isDeviceName(std::string_view part, const PathStyle& style) {
    // The device is named by the text before the first dot or colon, trailing blanks dropped.
    // Neither byte is ever the second of a two-byte character.
    part = part.substr(0, part.find_first_of(".:"));
    while (!part.empty() && part.back() == ' ')
        part.remove_suffix(1);
    const std::string name = comparablePart(part, style);
    constexpr std::array<std::string_view, 6> plain = {"CON", "PRN",    "AUX",
                                                       "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : plain)
        if (name == device)
            return true;
    if (!name.starts_with("COM") && !name.starts_with("LPT"))
        return false;
    // The superscript digits one to three number ports too; the comparable spelling of the
    // system's names is UTF-8.
    const std::string_view number = std::string_view(name).substr(3);
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

// The position of the style's own separator in path at or after from, never the second byte
// of a two-byte character; npos when there is none.
std::size_t nextSeparatorOf(std::string_view path, std::size_t from, const PathStyle& style) {
    for (std::size_t i = from; i < path.size(); ++i) {
        if (style.startsTwoByteCharacter(path[i]))
            ++i;
        else if (path[i] == style.separator)
            return i;
    }
    return std::string_view::npos;
}

std::string comparablePart(std::string_view part, const PathStyle& style) {
    if (style.comparableName != nullptr)
        return style.comparableName(part);
    std::string name(part);
    if (style.separator == windowsSeparator)
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (style.startsTwoByteCharacter(name[i]))
                ++i;  // the second byte of a character is no letter of its own
            else
                name[i] = upper(name[i]);
        }
    return name;
}

}  // namespace

bool leavesLauncherDirectory(std::string_view path, const PathStyle& style) {
    int depth = 0;
    for (const std::string_view part : pathParts(path, style)) {
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
    std::string joined;
    // Where each part kept so far begins in joined, the '/' before it included.
    std::vector<std::size_t> partStarts;
    for (const std::string_view part : pathParts(dir, style)) {
        if (part == "..") {
            if (!partStarts.empty()) {
                joined.resize(partStarts.back());
                partStarts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            partStarts.push_back(joined.size());
            if (!joined.empty())
                joined += '/';
            joined += comparablePart(part, style);
        }
    }
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

std::vector<std::string> directoriesHolding(std::string_view path, const PathStyle& style) {
    std::vector<std::string> dirs;
    std::string joined;
    const std::string_view separator(&style.separator, 1);
    for (std::size_t at = nextSeparatorOf(path, 0, style); at != std::string_view::npos;
         path.remove_prefix(at + 1), at = nextSeparatorOf(path, 0, style)) {
        const std::string_view part = path.substr(0, at);
        if (part.empty() || part == ".")
            continue;
        if (part == ".." && style.separator == windowsSeparator) {
            if (!dirs.empty())
                dirs.pop_back();
            joined = dirs.empty() ? std::string() : dirs.back();
            continue;
        }
        if (!joined.empty())
            joined += separator;
        joined += part;
        if (part == "..")
            dirs.clear();
        else
            dirs.push_back(joined);
    }
    return {dirs.rbegin(), dirs.rend()};
}

bool cannotBeJoined(std::string_view path, const PathStyle& style) {
    if (path.starts_with('/'))
        return true;
    if (style.separator != windowsSeparator)
        return false;
    return path.starts_with(windowsSeparator) ||
           (path.size() >= 2 && !style.startsTwoByteCharacter(path[0]) && path[1] == ':');
}

bool namesDevice(std::string_view path, const PathStyle& style) {
    if (style.separator != windowsSeparator)
        return false;
    for (const std::string_view part : pathParts(path, style))
        if (isDeviceName(part, style))
            return true;
    return false;
}

bool isWithin(std::string_view dir, std::string_view root, const PathStyle& style) {
    // Separators at the end of root are dropped, a root of one character ("/") kept.
    while (root.size() > 1) {
        const std::size_t last = lastSeparator(root, style);
        if (last != root.size() - 1)
            break;
        root.remove_suffix(1);
    }
    if (!dir.starts_with(root))
        return false;
    if (dir.size() == root.size())
        return true;
    const bool rootEndsInSeparator = lastSeparator(root, style) == root.size() - 1;
    return rootEndsInSeparator || nextSeparator(dir, root.size(), style) == root.size();
}

}  // namespace launcher
