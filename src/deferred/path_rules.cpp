#include "deferred/path_rules.h"

#include <array>

namespace launcher {

namespace {

constexpr char windowsSeparator = '\\';

std::string comparablePart(std::string_view part, const PathStyle& style) {
    if (style.comparableName != nullptr)
        return style.comparableName(part);
    std::string name(part);
    if (style.separator == windowsSeparator)
        for (std::size_t i = 0; i < name.size(); ++i) {
            if (style.startsTwoByteCharacter(name[i]))
                ++i;  // the second byte of a character is no letter of its own
            else if (name[i] >= 'a' && name[i] <= 'z')
                name[i] = static_cast<char>(name[i] - 'a' + 'A');
        }
    return name;
}

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

// The position of the style's own separator in path, never the second byte of a two-byte
// character; npos when there is none.
std::size_t nextSeparatorOf(std::string_view path, const PathStyle& style) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (style.startsTwoByteCharacter(path[i]))
            ++i;
        else if (path[i] == style.separator)
            return i;
    }
    return std::string_view::npos;
}

}  // namespace

std::string_view storedName(std::string_view name, const PathStyle& style) {
    while (style.separator == '\\' && !name.empty() && (name.back() == '.' || name.back() == ' '))
        name.remove_suffix(1);
    return name;
}

ListPath readListPath(std::string_view path, const PathStyle& style) {
    const bool windows = style.separator == windowsSeparator;
    ListPath read;
    read.leadsOut =
        path.starts_with('/') ||
        (windows &&
         (path.starts_with(windowsSeparator) ||
          (path.size() >= 2 && !style.startsTwoByteCharacter(path[0]) && path[1] == ':')));
    // Where each part kept so far begins in comparable, the '/' before it included.
    std::vector<std::size_t> partStarts;
    while (true) {
        const std::size_t end = nextSeparator(path, 0, style);
        const std::string_view part = path.substr(0, end);
        read.namesDevice = read.namesDevice || (windows && isDeviceName(part, style));
        if (part == "..") {
            read.leadsOut = read.leadsOut || partStarts.empty();
            if (!partStarts.empty()) {
                read.comparable.resize(partStarts.back());
                partStarts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            partStarts.push_back(read.comparable.size());
            if (!read.comparable.empty())
                read.comparable += '/';
            read.comparable += comparablePart(part, style);
        }
        if (end == std::string_view::npos)
            return read;
        path.remove_prefix(end + 1);
    }
}

std::vector<std::string> directoriesHolding(std::string_view path, const PathStyle& style) {
    std::vector<std::string> dirs;
    std::string joined;
    const std::string_view separator(&style.separator, 1);
    for (std::size_t at = nextSeparatorOf(path, style); at != std::string_view::npos;
         path.remove_prefix(at + 1), at = nextSeparatorOf(path, style)) {
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
