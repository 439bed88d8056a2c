#include "config/paths.h"

#include <array>

namespace launcher {

namespace {

constexpr char windowsSeparator = '\\';

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isDeviceName(std::string_view part) {
    // The device is named by the text before the first dot, trailing blanks dropped.
    part = part.substr(0, part.find('.'));
    while (!part.empty() && part.back() == ' ')
        part.remove_suffix(1);
    std::string name;
    for (const char c : part)
        name += upper(c);
    constexpr std::array<std::string_view, 4> plain = {"CON", "PRN", "AUX", "NUL"};
    for (const std::string_view device : plain)
        if (name == device)
            return true;
    return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) &&
           name[3] >= '1' && name[3] <= '9';
}

}  // namespace

std::size_t lastSeparator(std::string_view path, char separator) {
    return path.find_last_of(separator == '/' ? "/" : "/\\");
}

std::string directoryOf(const std::string& path, char separator) {
    const std::size_t last = lastSeparator(path, separator);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string parentPath(const std::string& path, char separator) {
    const std::size_t last = path.rfind(separator);
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

bool leavesLauncherDirectory(std::string_view path, char separator) {
    const char separators[] = {'/', separator};
    const std::string_view anySeparator(separators, 2);
    int depth = 0;
    while (true) {
        const std::size_t end = path.find_first_of(anySeparator);
        const std::string_view part = path.substr(0, end);
        if (part == "..") {
            if (--depth < 0)
                return true;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        if (end == std::string_view::npos)
            return false;
        path.remove_prefix(end + 1);
    }
}

std::string comparableDirectory(std::string_view dir, char separator) {
    std::vector<std::string> parts;
    const bool foldCase = separator == windowsSeparator;
    while (true) {
        const std::size_t end = dir.find_first_of(foldCase ? "/\\" : "/");
        const std::string_view part = dir.substr(0, end);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            std::string name(part);
            if (foldCase)
                for (char& c : name)
                    c = upper(c);
            parts.push_back(std::move(name));
        }
        if (end == std::string_view::npos)
            break;
        dir.remove_prefix(end + 1);
    }
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : "/") + part;
    return joined;
}

std::vector<std::string> enclosingDirectories(std::string_view path, char separator) {
    const std::string whole = comparableDirectory(path, separator);
    std::vector<std::string> dirs;
    for (std::size_t slash = whole.find('/'); slash != std::string::npos;
         slash = whole.find('/', slash + 1))
        dirs.push_back(whole.substr(0, slash));
    return dirs;
}

bool cannotBeJoined(std::string_view path, char separator) {
    if (path.starts_with('/'))
        return true;
    if (separator != windowsSeparator)
        return false;
    return path.starts_with(windowsSeparator) || (path.size() >= 2 && path[1] == ':');
}

bool namesDevice(std::string_view path, char separator) {
    if (separator != windowsSeparator)
        return false;
    while (true) {
        const std::size_t end = path.find_first_of("/\\");
        if (isDeviceName(path.substr(0, end)))
            return true;
        if (end == std::string_view::npos)
            return false;
        path.remove_prefix(end + 1);
    }
}

bool isWithin(std::string_view dir, std::string_view root, char separator) {
    while (root.size() > 1 && (root.back() == separator || root.back() == '/'))
        root.remove_suffix(1);
    if (!dir.starts_with(root))
        return false;
    if (dir.size() == root.size())
        return true;
    const char next = dir[root.size()];
    return next == separator || next == '/' || root.back() == separator || root.back() == '/';
}

}  // namespace launcher
